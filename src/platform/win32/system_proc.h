// Functions of an already loaded system DLL, looked up by name so the
// program still starts on Windows versions that lack them.
#pragma once

#include <windows.h>

namespace trevanil::win32 {

// Null when the module is not loaded or does not export the function.
template <class Fn>
Fn systemProc(const wchar_t* module, const char* name) noexcept {
    const HMODULE m = ::GetModuleHandleW(module);
    if (m == nullptr) return nullptr;
    // Through a generic function pointer: FARPROC's own type differs from Fn.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(m, name)));
}

}  // namespace trevanil::win32

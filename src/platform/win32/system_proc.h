// Functions of a system DLL looked up by name, so the program still starts
// on Windows versions that lack them and imports no more DLLs than it must.
#pragma once

#include <windows.h>

namespace trevanil::win32 {

// Null when there is no module or it does not export the function.
template <class Fn>
Fn procOf(HMODULE module, const char* name) noexcept {
    if (module == nullptr) return nullptr;
    // Through a generic function pointer: FARPROC's own type differs from Fn.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// The same in a module already loaded; null when it is not.
template <class Fn>
Fn systemProc(const wchar_t* module, const char* name) noexcept {
    return procOf<Fn>(::GetModuleHandleW(module), name);
}

}  // namespace trevanil::win32

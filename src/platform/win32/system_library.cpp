#include "platform/win32/system_library.h"

#include <windows.h>

#include <string>

#include "platform/win32/paths.h"

namespace trevanil::win32 {

namespace {

// Empty when the system folder is unknown: a bare name would be searched
// for, the program's own folder first.
std::wstring systemFile(const wchar_t* name) {
    const std::wstring folder = systemFolder();
    return folder.empty() ? std::wstring() : folder + L"\\" + name;
}

}  // namespace

unique_hmodule loadSystemLibrary(const wchar_t* name) noexcept {
    try {
        // The search flag keeps side-by-side redirection (a manifest may ask
        // for a version); systems without the flag fail it and get the full
        // path.
        unique_hmodule m(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (!m) {
            const std::wstring path = systemFile(name);
            if (!path.empty()) m.reset(::LoadLibraryW(path.c_str()));
        }
        return m;
    } catch (...) {  // no memory for the path
        return {};
    }
}

}  // namespace trevanil::win32

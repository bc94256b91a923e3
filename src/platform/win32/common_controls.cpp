#include "platform/win32/common_controls.h"

#include <commctrl.h>

#include <string>

#include "platform/error.h"

namespace trevanil::win32 {

namespace {

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// Empty when the system folder is unknown: a bare name would be searched
// for, the program's own folder first.
std::wstring systemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::wstring(folder, n) + L"\\" + name;
}

unique_hmodule loadFromSystemFolder() {
    // The search flag keeps side-by-side redirection (a manifest may ask for
    // version 6); systems without the flag fail it and get the full path.
    unique_hmodule m(::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!m) {
        const std::wstring path = systemFile(L"comctl32.dll");
        if (!path.empty()) m.reset(::LoadLibraryW(path.c_str()));
    }
    return m;
}

}  // namespace

unique_hmodule initCommonControls() {
    unique_hmodule comctl = loadFromSystemFolder();
    if (!comctl) throw PlatformError(errnum::objetoNoCreado);
    const auto init = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(comctl.get(), "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    if (init == nullptr || !init(&icc)) throw PlatformError(errnum::objetoNoCreado);
    return comctl;
}

}  // namespace trevanil::win32

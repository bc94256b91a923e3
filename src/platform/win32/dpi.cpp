#include "platform/win32/dpi.h"

#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

int dpiForWindow(HWND window) noexcept {
    static const auto getDpiForWindow = systemProc<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    // Older systems: one DPI for the whole screen.
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

RECT windowRectForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) noexcept {
    static const auto adjustForDpi =
        systemProc<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT r{0, 0, width, height};
    if (adjustForDpi == nullptr || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        r = RECT{0, 0, width, height};
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return r;
}

}  // namespace trevanil::win32

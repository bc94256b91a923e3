// Dots per inch of a window, and the window size for a client area at a
// given DPI. Newer DPI functions are used where the system has them.
#pragma once

#include <windows.h>

namespace trevanil::win32 {

int dpiForWindow(HWND window) noexcept;

// The window rectangle (origin 0,0 for the client's top-left corner) whose
// client area is width x height for the given styles at that DPI.
RECT windowRectForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) noexcept;

}  // namespace trevanil::win32

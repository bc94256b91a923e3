// The reason Windows shows for a window that refuses a logoff or shutdown,
// given for as long as the object lives. Nothing where the system keeps no
// such reasons.
#pragma once

#include <windows.h>

namespace trevanil::win32 {

class ShutdownBlock {
public:
    ShutdownBlock(HWND window, const wchar_t* reason) noexcept;
    ~ShutdownBlock();
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

private:
    HWND window_ = nullptr;  // set once the system took the reason
};

}  // namespace trevanil::win32

#include "platform/win32/shutdown_block.h"

#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

namespace {

using ShutdownBlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ShutdownBlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

}  // namespace

ShutdownBlock::ShutdownBlock(HWND window, const wchar_t* reason) noexcept {
    static const auto create =
        systemProc<ShutdownBlockReasonCreateFn>(L"user32.dll", "ShutdownBlockReasonCreate");
    if (window != nullptr && create != nullptr && create(window, reason)) window_ = window;
}

// A window that is gone took its reason with it.
ShutdownBlock::~ShutdownBlock() {
    static const auto destroy =
        systemProc<ShutdownBlockReasonDestroyFn>(L"user32.dll", "ShutdownBlockReasonDestroy");
    if (window_ != nullptr && destroy != nullptr && ::IsWindow(window_)) destroy(window_);
}

}  // namespace trevanil::win32

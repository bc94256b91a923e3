#include "platform/win32/single_instance.h"

#include "platform/win32/form_window.h"

namespace trevanil::win32 {

namespace {

constexpr wchar_t kMutexName[] = L"Global\\Trevanil.Instalacion";

}  // namespace

// A name that exists, or that this user may not open, belongs to a running
// instance. Any other failure leaves the run unguarded rather than blocked.
SingleInstance::SingleInstance() : mutex_(::CreateMutexW(nullptr, FALSE, kMutexName)) {
    const DWORD error = ::GetLastError();
    first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

void bringRunningWindowToFront() {
    const HWND window = ::FindWindowW(kFormClassName, nullptr);
    if (window != nullptr && ::IsWindowVisible(window)) ::SetForegroundWindow(window);
}

}  // namespace trevanil::win32

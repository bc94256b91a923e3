#include "platform/win32/win32_timer.h"

#include "platform/error.h"

namespace trevanil::win32 {

void Win32Timer::attach(HWND owner) noexcept {
    owner_ = owner;
    apply();
}

void Win32Timer::setInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) throw PlatformError(errnum::invalidArgument);
    interval_ = milliseconds;
    apply();
}

void Win32Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

// SetTimer on a running timer restarts its count, as a new interval does.
void Win32Timer::apply() const noexcept {
    if (owner_ == nullptr) return;
    if (enabled_ && interval_ > 0) {
        ::SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
    } else {
        ::KillTimer(owner_, id_);
    }
}

}  // namespace trevanil::win32

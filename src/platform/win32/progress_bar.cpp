#include "platform/win32/progress_bar.h"

#include <commctrl.h>

#include <cmath>


namespace trevanil::win32 {

namespace {

// Steps of the control per unit of value: 12.5 shows as 1250 of 10000.
constexpr float kSteps = 100.0f;

int toSteps(float value) noexcept { return static_cast<int>(std::lround(value * kSteps)); }

}  // namespace

void Win32ProgressBar::attach(HWND control) noexcept {
    control_ = control;
    ::SendMessageW(control_, PBM_SETRANGE32, static_cast<WPARAM>(toSteps(min_)), toSteps(max_));
    show();
}

void Win32ProgressBar::setValue(float value) {
    value_ = value;
    show();
}

// The value stays as set; only what the control draws is kept in its range.
// Drawn at once: the pass may not pump events again for a while.
void Win32ProgressBar::show() const noexcept {
    if (control_ == nullptr) return;  // a window never shown has no control
    const float shown = value_ >= max_ ? max_ : (value_ >= min_ ? value_ : min_);  // NaN shows empty
    ::SendMessageW(control_, PBM_SETPOS, static_cast<WPARAM>(toSteps(shown)), 0);
    ::UpdateWindow(control_);
}

}  // namespace trevanil::win32

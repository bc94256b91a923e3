// The common-controls progress bar seen as the logic's ProgressBar: the
// value is kept exactly as set; the control shows it on a finer scale.
#pragma once

#include <windows.h>

#include "platform/form.h"

namespace trevanil::win32 {

class Win32ProgressBar final : public ProgressBar {
public:
    Win32ProgressBar(float min, float max) noexcept : min_(min), max_(max) {}

    // Sets the control's range and shows the current value.
    void attach(HWND control) noexcept;
    HWND handle() const noexcept { return control_; }

    float value() const override { return value_; }
    void setValue(float value) override;

private:
    void show() const noexcept;

    HWND control_ = nullptr;
    float min_, max_;
    float value_ = 0.0f;
};

}  // namespace trevanil::win32

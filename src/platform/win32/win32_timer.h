// A timer of the window, as the classic runtime's: it fires while it is
// enabled and its interval is above 0; changing either re-arms it.
#pragma once

#include <windows.h>

#include "platform/form_design.h"
#include "platform/form.h"

namespace trevanil::win32 {

class Win32Timer final : public Timer {
public:
    Win32Timer(UINT_PTR id, const TimerDesign& design) noexcept
        : id_(id), interval_(design.interval), enabled_(design.enabled) {}

    // Arms the timer on its window, as the design says.
    void attach(HWND owner) noexcept;
    void detach() noexcept { owner_ = nullptr; }  // the window is gone, and its timers with it
    UINT_PTR id() const noexcept { return id_; }

    std::int32_t interval() const override { return interval_; }
    bool enabled() const override { return enabled_; }
    void setInterval(std::int32_t milliseconds) override;  // raises 5 below 0
    void setEnabled(bool enabled) override;

private:
    void apply() const noexcept;

    HWND owner_ = nullptr;
    UINT_PTR id_;
    std::int32_t interval_;
    bool enabled_;
};

}  // namespace trevanil::win32

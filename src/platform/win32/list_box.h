// A list box child control seen as the logic's ListBox.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "platform/form.h"

namespace trevanil::win32 {

// The items live in the control; in a window never shown there is none, and
// they are kept here.
class Win32ListBox final : public ListBox {
public:
    void attach(HWND control) noexcept { control_ = control; }
    HWND handle() const noexcept { return control_; }

    void addItem(std::string_view text);

    std::int16_t listCount() const override;
    std::string list(std::int16_t index) const override;

private:
    HWND control_ = nullptr;
    std::vector<std::string> items_;  // without a control
};

}  // namespace trevanil::win32

// A list box child control seen as the logic's ListBox.
#pragma once

#include <windows.h>

#include <string_view>

#include "platform/form.h"

namespace trevanil::win32 {

class Win32ListBox final : public ListBox {
public:
    void attach(HWND control) noexcept { control_ = control; }
    HWND handle() const noexcept { return control_; }

    void addItem(std::string_view text);

    std::int16_t listCount() const override;
    std::string list(std::int16_t index) const override;

private:
    HWND control_ = nullptr;
};

}  // namespace trevanil::win32

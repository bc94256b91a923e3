#include "platform/win32/list_box.h"

#include <string>

#include "platform/error.h"
#include "platform/win32/strings.h"

namespace trevanil::win32 {

void Win32ListBox::addItem(std::string_view text) {
    if (control_ == nullptr) {
        if (items_.size() >= 0x7FFF) throw PlatformError(errnum::outOfMemory);
        items_.emplace_back(text);
        return;
    }
    const std::wstring wide = toWide(text);
    const LRESULT r = ::SendMessageW(control_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    if (r == LB_ERR || r == LB_ERRSPACE) throw PlatformError(errnum::outOfMemory);
}

std::int16_t Win32ListBox::listCount() const {
    if (control_ == nullptr) return static_cast<std::int16_t>(items_.size());
    const LRESULT n = ::SendMessageW(control_, LB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<std::int16_t>(n) : std::int16_t{0};
}

std::string Win32ListBox::list(std::int16_t index) const {
    if (index < 0 || index >= listCount()) throw PlatformError(errnum::invalidArgument);
    if (control_ == nullptr) return items_[static_cast<std::size_t>(index)];
    const WPARAM i = static_cast<WPARAM>(index);
    const LRESULT length = ::SendMessageW(control_, LB_GETTEXTLEN, i, 0);
    if (length == LB_ERR) throw PlatformError(errnum::invalidArgument);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(control_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR) throw PlatformError(errnum::invalidArgument);
    text.resize(static_cast<size_t>(copied));
    return toUtf8(text);
}

}  // namespace trevanil::win32

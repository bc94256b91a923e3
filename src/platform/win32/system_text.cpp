#include "platform/win32/system_text.h"

#include <windows.h>

#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

std::wstring messageFor(DWORD code) {
    wchar_t text[1024];
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                     text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring message(text, n);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

// A status made from a system error (0x8007xxxx) has that error's text when
// the table holds none of its own.
std::string systemText(std::uint32_t code, const std::string& subject) {
    std::wstring message = messageFor(code);
    if (message.empty() && HRESULT_FACILITY(code) == FACILITY_WIN32 && (code & 0x80000000u) != 0) {
        message = messageFor(HRESULT_CODE(code));
    }
    const std::size_t insert = message.find(L"%1");
    if (insert != std::wstring::npos) message.replace(insert, 2, toWide(subject));
    return toUtf8(message);
}

}  // namespace trevanil::win32

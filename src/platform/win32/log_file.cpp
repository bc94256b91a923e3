#include "platform/win32/log_file.h"

#include <windows.h>

#include "platform/win32/file_entry.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD n = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return {};
    full.resize(n);
    return full;
}

}  // namespace

std::optional<std::string> logPathFor(const std::string& given) {
    const std::wstring full = fullPath(toWide(given));
    const std::size_t separator = full.find_last_of(L'\\');
    if (separator == std::wstring::npos || separator + 1 == full.size()) return std::nullopt;
    // The folder with its separator: a drive or share root is a folder too.
    if (isFolder(full) || !isFolder(full.substr(0, separator + 1))) return std::nullopt;
    return toUtf8(full);
}

bool appendLine(const std::string& path, const std::string& text) {
    // Only the file the run itself created: a link put under its name since
    // the pass closed it is not written through.
    const std::wstring widePath = toWide(path);
    const unique_hfile file(::CreateFileW(widePath.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !isSoleEntry(file.get(), widePath)) return false;
    const std::string bytes = toAnsi(text) + "\r\n";
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace trevanil::win32

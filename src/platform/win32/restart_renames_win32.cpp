#include "platform/win32/restart_renames_win32.h"

#include <windows.h>

#include <string_view>

#include "platform/error.h"
#include "platform/win32/advapi32.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

// The value's characters; empty when it cannot be read. It may grow between
// asking its size and reading it: a few tries.
std::wstring readList() {
    const auto getValue = advapi32().regGetValue;  // advapi32 is not among the program's imports
    if (getValue == nullptr) return {};
    for (int tries = 0; tries < 3; ++tries) {
        DWORD size = 0;
        if (getValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
            return {};
        }
        std::wstring list(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(list.size() * sizeof(wchar_t));
        const LSTATUS status = getValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, RRF_RT_REG_MULTI_SZ,
                                        nullptr, list.data(), &size);
        if (status == ERROR_SUCCESS) return list.substr(0, size / sizeof(wchar_t));
        if (status != ERROR_MORE_DATA) return {};
    }
    return {};
}

}  // namespace

// Split at every NUL, by the value's size: a deletion is an empty string
// inside the list. The renames come in pairs; an odd last one is the list's
// end.
std::vector<std::string> pendingRenameList() {
    try {
        const std::wstring list = readList();
        std::vector<std::string> entries;
        for (std::size_t start = 0, end; (end = list.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
            entries.push_back(toUtf8(std::wstring_view(list).substr(start, end - start)));
        }
        if (entries.size() % 2 != 0) entries.pop_back();
        return entries;
    } catch (...) {  // no memory: read as none
        return {};
    }
}

std::string Win32RestartRenames::bootPath(const std::string& path) const {
    return toUtf8(redirectedPath(toWide(path)));
}

// Opened to write, sharing everything, and written to never: refused for
// sharing only where another program holds it (a loaded image included).
bool Win32RestartRenames::inUse(const std::string& path) const {
    const unique_hfile file(::CreateFileW(toWide(path).c_str(), FILE_WRITE_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

void Win32RestartRenames::schedule(const std::string& from, const std::string& to) {
    if (!::MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
        throw errorFromWin32(::GetLastError());
    }
}

void Win32RestartRenames::scheduleDeletion(const std::string& path) {
    if (!::MoveFileExW(toWide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) throw errorFromWin32(::GetLastError());
}

void Win32RestartRenames::discard(const std::string& path) noexcept {
    try {
        ::DeleteFileW(toWide(path).c_str());
    } catch (...) {  // no memory for the name: the file stays
    }
}

}  // namespace trevanil::win32

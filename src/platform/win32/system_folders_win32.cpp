#include "platform/win32/system_folders_win32.h"

#include <windows.h>

#include <optional>

#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

struct FolderId {
    DWORD volume;
    DWORD high;
    DWORD low;
    bool operator==(const FolderId& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

// The identity of an existing folder on a disk. A link at the end of the
// path is opened itself, not followed; whatever answers may identify the
// program but never act as it (the logic hands over only paths on the
// system's own drive anyway).
std::optional<FolderId> folderId(const std::string& path) {
    const unique_hfile folder(::CreateFileW(
        toWide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT |
                           SECURITY_IDENTIFICATION,
        nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || ::GetFileType(folder.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(folder.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    return FolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

std::string Win32SystemFolders::windowsFolder() const {
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::string() : toUtf8(std::wstring(folder, n));
}

bool Win32SystemFolders::sameFolder(const std::string& a, const std::string& b) const {
    const std::optional<FolderId> first = folderId(a);
    return first && first == folderId(b);
}

}  // namespace trevanil::win32

#include "platform/win32/file_entry.h"

#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

// The entry's own name as its folder lists it, without following it: the
// long name for a short one. Empty when there is no such entry.
std::wstring listedName(const std::wstring& folder, const std::wstring& name) {
    if (name.find_first_of(L"*?") != std::wstring::npos) return {};  // a pattern, not a name
    WIN32_FIND_DATAW found{};
    const unique_hfind search(::FindFirstFileW((folder + L"\\" + name).c_str(), &found));
    return search ? std::wstring(found.cFileName) : std::wstring();
}

}  // namespace

std::wstring finalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n);
    }
}

std::optional<FileId> fileId(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return FileId{info.dwVolumeSerialNumber, (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The folder the entry is really in must be the folder itself (its identity,
// not its name: a folder is named in many ways), and the entry's real name
// must be the one that folder lists under the name given.
bool isEntryItself(HANDLE entry, HANDLE folder, const std::wstring& name) {
    const std::wstring actual = finalPath(entry);
    const std::size_t cut = actual.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut + 1 == actual.size()) return false;
    const unique_hfile parent(::CreateFileW(actual.substr(0, cut + 1).c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::optional<FileId> parentId = parent ? fileId(parent.get()) : std::nullopt;
    if (!parentId || !(parentId == fileId(folder))) return false;
    const std::wstring actualName = actual.substr(cut + 1);
    return equalIgnoringCase(actualName, name) ||
           equalIgnoringCase(actualName, listedName(actual.substr(0, cut), name));
}

bool isSoleEntry(HANDLE entry, HANDLE folder, const std::wstring& name) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(entry, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           info.nNumberOfLinks == 1 && isEntryItself(entry, folder, name);
}

}  // namespace trevanil::win32

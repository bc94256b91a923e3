#include "platform/win32/file_entry.h"

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

// The path of an open file or folder as the system names it, every link and
// short name resolved; empty when the system cannot tell.
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

}  // namespace

bool isEntryItself(HANDLE entry, const std::wstring& path) {
    const std::wstring actual = finalPath(entry);
    const std::size_t cut = path.find_last_of(L"\\/");
    const std::wstring folderPath = cut == std::wstring::npos ? L"." : path.substr(0, cut + 1);
    const unique_hfile folder(::CreateFileW(folderPath.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring expected = folder ? finalPath(folder.get()) : std::wstring();
    if (actual.empty() || expected.empty()) return true;
    if (expected.back() != L'\\') expected += L'\\';  // a drive root has its separator already
    expected += path.substr(cut == std::wstring::npos ? 0 : cut + 1);
    return ::CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), expected.c_str(),
                                  static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

bool isSoleEntry(HANDLE entry, const std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(entry, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           info.nNumberOfLinks == 1 && isEntryItself(entry, path);
}

}  // namespace trevanil::win32

#include "platform/win32/log_file.h"

#include <utility>

#include "platform/win32/file_entry.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

LogFolder LogFolder::hold(const std::string& logPath) {
    const std::wstring path = toWide(logPath);
    const std::size_t cut = path.find_last_of(L"\\/");
    LogFolder log(logPath, path.substr(cut == std::wstring::npos ? 0 : cut + 1));
    // The folder with its separator: a drive or share root is a folder too.
    const std::wstring folderPath = cut == std::wstring::npos ? L".\\" : path.substr(0, cut + 1);
    // Listing and traversal take part in sharing: another open that would
    // rename or remove the folder, or write to it, is refused.
    log.folder_.reset(::CreateFileW(folderPath.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    log.error_ = log.folder_ ? ERROR_SUCCESS : ::GetLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    if (log.folder_ && (!::GetFileInformationByHandle(log.folder_.get(), &info) ||
                        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)) {
        log.folder_.reset();
        log.error_ = ERROR_PATH_NOT_FOUND;
    }
    if (log.error_ == ERROR_FILE_NOT_FOUND) log.error_ = ERROR_PATH_NOT_FOUND;  // what is missing is a folder
    return log;
}

std::wstring LogFolder::entryPath() const {
    std::wstring path = folder_ ? finalPath(folder_.get()) : std::wstring();
    if (path.empty()) return path;
    if (path.back() != L'\\') path += L'\\';  // a drive root has its separator already
    return path + name_;
}

std::optional<LogFolder> logFolderFor(const std::string& given) {
    const std::wstring full = fullPath(toWide(given));
    const std::size_t separator = full.find_last_of(L'\\');
    if (separator == std::wstring::npos || separator + 1 == full.size() || isFolder(full)) return std::nullopt;
    LogFolder log = LogFolder::hold(toUtf8(full));
    if (!log.held()) return std::nullopt;
    return log;
}

bool withinMaxPath(const std::wstring& path) {
    std::size_t length = path.size();
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        length -= 6;  // "\\?\UNC\server" is "\\server"
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
        length -= 4;
    }
    return length < MAX_PATH;
}

bool appendLine(const LogFolder& log, const std::string& text) {
    // Only the file the run itself created: a link put under its name since
    // the pass closed it is not written through.
    const std::wstring path = log.entryPath();
    if (path.empty()) return false;
    const unique_hfile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !isSoleEntry(file.get(), log.folder(), log.name())) return false;
    const std::string bytes = toAnsi(text) + "\r\n";
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace trevanil::win32

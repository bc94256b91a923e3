#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/win32/file_entry.h"
#include "platform/win32/log_file.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/system_services.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

using NtQueryVolumeInformationFileFn = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);

// The volume under the file is a disk of this machine, neither removable nor
// reached over the network; false when the system does not say.
bool onFixedLocalDisk(HANDLE file) {
    struct DeviceInformation {
        ULONG type;
        ULONG characteristics;
    } device{};
    constexpr int kDeviceInformation = 4;  // FileFsDeviceInformation
    constexpr ULONG kDisk = 0x07;          // FILE_DEVICE_DISK
    constexpr ULONG kRemovable = 0x01;     // FILE_REMOVABLE_MEDIA
    constexpr ULONG kRemote = 0x10;        // FILE_REMOTE_DEVICE
    const auto query = systemProc<NtQueryVolumeInformationFileFn>(L"ntdll.dll", "NtQueryVolumeInformationFile");
    ULONG_PTR status[2] = {};  // IO_STATUS_BLOCK
    if (query == nullptr || query(file, status, &device, sizeof device, kDeviceInformation) < 0) return false;
    return device.type == kDisk && (device.characteristics & (kRemovable | kRemote)) == 0;
}

// A log line goes straight to the system with WriteFile: nothing is held in
// the process, so a crash later on loses no line already written.
class Win32TextStream : public TextStream {
public:
    explicit Win32TextStream(unique_hfile file) : file_(std::move(file)) {}

    void writeLine(const std::string& text) override {
        if (!file_) throw PlatformError(errnum::badFileName);
        const std::string bytes = toAnsi(text) + "\r\n";
        const char* next = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
            DWORD written = 0;
            if (!::WriteFile(file_.get(), next, chunk, &written, nullptr)) {
                throw lastError(errnum::ioError);
            }
            if (written == 0) throw PlatformError(errnum::ioError);
            next += written;
            left -= written;
        }
    }

    void close() override {
        if (!file_) return;
        // A delayed write that fails (a network share, a removable disk)
        // shows only at the flush or the close: either fails the log like a
        // failed write. A fixed local disk has none to show, and its flush
        // would wait for the whole disk. The handle leaves its owner first,
        // so it is closed whatever happens.
        const HANDLE file = file_.release();
        const bool flushed = onFixedLocalDisk(file) || ::FlushFileBuffers(file);
        const DWORD flushError = ::GetLastError();
        if (!::CloseHandle(file)) throw lastError(errnum::ioError);
        if (!flushed) throw errorFromWin32(flushError, errnum::ioError);
    }

private:
    unique_hfile file_;
};

// A new log may meet its name again, planted between removal and creation:
// a few tries, then the refusal is reported.
constexpr int kCreateTries = 3;

// NtSetInformationFile's rename (FILE_RENAME_INFORMATION): a name relative
// to a folder's handle, or a bare name that the kernel keeps in the entry's
// own folder. SetFileInformationByHandle takes neither: Wine resolves its
// bare name against the current folder.
using SetInformationFileFn = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);
constexpr int kFileRenameInformation = 10;

struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

// Renames the open entry to `name` in the held folder: through the folder's
// handle (Wine), or as a bare name where the system refuses the handle
// (Windows opens that folder to add the name, which the hold's sharing may
// refuse). True only when the entry is then in the folder itself under that
// name; false when the name is taken, the system refuses, or the entry went
// anywhere else.
bool renameWithin(HANDLE entry, const LogFolder& folder, const std::wstring& name) {
    static const auto setInformation = systemProc<SetInformationFileFn>(L"ntdll.dll", "NtSetInformationFile");
    if (setInformation == nullptr) return false;
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    const std::size_t size = sizeof(RenameInformation) + bytes;
    std::vector<ULONGLONG> buffer((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));  // aligned for the handle
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->fileNameLength = static_cast<ULONG>(bytes);
    name.copy(info->fileName, name.size());
    for (const HANDLE root : {folder.folder(), HANDLE{}}) {
        info->rootDirectory = root;
        ULONG_PTR status[2] = {};  // IO_STATUS_BLOCK
        if (setInformation(entry, status, info, static_cast<ULONG>(size), kFileRenameInformation) >= 0) {
            return isEntryItself(entry, folder.folder(), name);
        }
    }
    return false;
}

// The entry under a name of its own in the held folder, so that its name is
// free at once even while another program holds it open (the file itself
// then goes when that program lets it go). Nothing changes when no such name
// can be had; an entry that went elsewhere comes back under its own name.
std::optional<std::wstring> moveAside(HANDLE entry, const LogFolder& folder, const std::wstring& ownName) {
    for (int tries = 0; tries < 3; ++tries) {
        const std::wstring name = L"~trevanil-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(tries) + L".tmp";
        if (renameWithin(entry, folder, name)) return name;
        if (!isEntryItself(entry, folder.folder(), ownName)) {
            renameWithin(entry, folder, ownName);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Removes whatever entry has the name in the folder: an old log, a hard link
// or a symbolic link goes, and what a link led to stays as it was. Nothing
// there is fine; an entry that cannot go (held open without delete sharing,
// read-only, a folder, a link that only shows what it leads to) raises and
// keeps its name.
void removeEntry(const LogFolder& folder, const std::wstring& path) {
    const unique_hfile entry(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!entry) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return;
        throw lastError(errnum::pathFileAccessError);
    }
    if (!isEntryItself(entry.get(), folder.folder(), folder.name())) throw PlatformError(errnum::permissionDenied);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(entry.get(), &info)) throw lastError(errnum::pathFileAccessError);
    // Refused before it is moved: Wine loses a read-only file whose delete
    // failed once it has been renamed.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) throw PlatformError(errnum::permissionDenied);
    const std::wstring ownPath = finalPath(entry.get());
    const std::wstring ownName = ownPath.substr(ownPath.find_last_of(L'\\') + 1);  // its long name
    const std::optional<std::wstring> aside = moveAside(entry.get(), folder, ownName);
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
        const PlatformError error = lastError(errnum::pathFileAccessError);
        if (aside) renameWithin(entry.get(), folder, ownName);
        throw error;
    }
    FILE_BASIC_INFO basic{};
    if (aside && info.nNumberOfLinks == 1) {
        basic.FileAttributes = info.dwFileAttributes | FILE_ATTRIBUTE_HIDDEN;  // never another name's file
        ::SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic);
    }
}

// A file made somewhere else than in the folder (through a link that took
// the folder's place) goes again, if it is still the one made there.
void discard(unique_hfile file) {
    const std::wstring path = finalPath(file.get());
    const std::optional<FileId> made = fileId(file.get());
    file.reset();  // it shares no delete
    const unique_hfile again(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (again && made && fileId(again.get()) == made) {
        ::SetFileInformationByHandle(again.get(), FileDispositionInfo, &disposition, sizeof disposition);
    }
}

class Win32FileSystemObject : public FileSystemObject {
public:
    explicit Win32FileSystemObject(const LogFolder* log) : log_(log) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        // The name is replaced, never opened to write: the program runs
        // elevated in a folder others may write to, and a link planted under
        // the log's name must not turn the log into a write to the file it
        // leads to. A new file never follows a link (CREATE_NEW fails on any
        // existing name, a link's included). Every step goes through the
        // folder held since the check (any other file's folder is held for
        // the create), and the new file must be in it.
        std::optional<LogFolder> own;
        const LogFolder& folder =
            log_ != nullptr && path == log_->logPath() ? *log_ : own.emplace(LogFolder::hold(path));
        if (!folder.held()) throw errorFromWin32(folder.error(), errnum::pathFileAccessError);
        for (int tries = 1;; ++tries) {
            const std::wstring entryPath = folder.entryPath();
            if (entryPath.empty()) throw PlatformError(errnum::permissionDenied);
            // A path the viewer could not open, and that not every system
            // names back, is refused before anything changes.
            if (!withinMaxPath(entryPath)) throw errorFromWin32(ERROR_FILENAME_EXCED_RANGE);
            removeEntry(folder, entryPath);
            // A link planted under the name since its removal is an existing
            // name, never followed to make what it leads to.
            unique_hfile file(::CreateFileW(entryPath.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
            if (file && isEntryItself(file.get(), folder.folder(), folder.name())) {
                return std::make_unique<Win32TextStream>(std::move(file));
            }
            if (file) {
                discard(std::move(file));
                throw PlatformError(errnum::permissionDenied);
            }
            if (::GetLastError() != ERROR_FILE_EXISTS || tries == kCreateTries) {
                throw lastError(errnum::pathFileAccessError);
            }
        }
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        const std::wstring from = toWide(source);
        const std::wstring to = toWide(destination);
        if (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) {
            throw lastError(errnum::pathFileAccessError);
        }
        return {};
    }

private:
    const LogFolder* log_;
};

}  // namespace

std::unique_ptr<FileSystemObject> makeFileSystemObject(const LogFolder* log) {
    return std::make_unique<Win32FileSystemObject>(log);
}

}  // namespace trevanil::win32

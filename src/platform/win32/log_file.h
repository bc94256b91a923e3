// The log's place: its folder, opened once when the place is checked and
// held until the program ends, and a line added to the log after the pass
// (an unattended run's report).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// The folder is held without delete sharing, so it cannot be renamed,
// removed or swapped for a link while the program runs; every step on the
// log goes through it, never through the path's text again.
class LogFolder {
public:
    // The log at this full path; its text is kept as it is, for the pass
    // and the viewer. Not held when the folder cannot be opened (held()
    // false, error() says why).
    static LogFolder hold(const std::string& logPath);

    const std::string& logPath() const noexcept { return logPath_; }
    bool held() const noexcept { return static_cast<bool>(folder_); }
    DWORD error() const noexcept { return error_; }
    HANDLE folder() const noexcept { return folder_.get(); }
    const std::wstring& name() const noexcept { return name_; }
    // The log's path through the held folder, as the system names the folder
    // now; empty when it cannot be named.
    std::wstring entryPath() const;

private:
    LogFolder(std::string logPath, std::wstring name) : logPath_(std::move(logPath)), name_(std::move(name)) {}

    std::string logPath_;
    std::wstring name_;
    unique_hfile folder_;
    DWORD error_ = ERROR_SUCCESS;
};

// The held folder of a log named on the command line (a relative path is
// taken from the current folder), or nothing when no file can be made there:
// its folder does not exist, or the path names a folder or no file at all.
// Nothing is created to find out.
std::optional<LogFolder> logFolderFor(const std::string& given);

// Whether a program without long-path support (the viewer among them) can
// open the path: shorter than MAX_PATH once the "\\?\" that lifts the
// limit is taken off.
bool withinMaxPath(const std::wstring& path);

// Adds one line (ANSI code page, CR LF) at the end of the log the run
// created; false when it cannot.
bool appendLine(const LogFolder& log, const std::string& text);

}  // namespace trevanil::win32

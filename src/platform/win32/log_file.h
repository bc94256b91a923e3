// The log's place when the command line names it, and a line added to the
// log after the pass (an unattended run's report).
#pragma once

#include <optional>
#include <string>

namespace trevanil::win32 {

// The full path of a log named on the command line (a relative path is
// taken from the current folder), or nothing when no file can be made there:
// its folder does not exist, or the path names a folder or no file at all.
// Nothing is created to find out.
std::optional<std::string> logPathFor(const std::string& given);

// Adds one line (ANSI code page, CR LF) at the end of an existing file; false
// when it cannot.
bool appendLine(const std::string& path, const std::string& text);

}  // namespace trevanil::win32

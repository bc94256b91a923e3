// The file-system object on Win32: wide calls for paths, the log's text in
// the ANSI code page.
#pragma once

#include <memory>

#include "platform/file_system.h"

namespace trevanil::win32 {

class LogFolder;

// `log`: the log's folder, held since its place was checked; a text file at
// the log's path is made through it. Null: every file's folder is held for
// its create only.
std::unique_ptr<FileSystemObject> makeFileSystemObject(const LogFolder* log = nullptr);

}  // namespace trevanil::win32

// The file-system object on Win32: wide calls for paths, the log's text in
// the ANSI code page.
#pragma once

#include <memory>

#include "platform/file_system.h"

namespace trevanil::win32 {

std::unique_ptr<FileSystemObject> makeFileSystemObject();

}  // namespace trevanil::win32

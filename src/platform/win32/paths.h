// Paths as the system resolves them: a full path, the system folder, and
// whether a path names a file.
#pragma once

#include <string>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// A relative path taken from the current folder; empty when it cannot be
// made a full one.
std::wstring fullPath(const std::wstring& path);
// The same for a path in the ANSI code page, as the loader takes it.
std::string fullAnsiPath(const std::string& ansiPath);

// The system folder (System32, or SysWOW64 for a 32-bit program on 64-bit
// Windows); empty when the system does not say.
std::wstring systemFolder();

// The file a path in the Windows folder's System32 names for this program:
// the one in SysWOW64 for a 32-bit program on 64-bit Windows, where the
// system sends it. Any other path as it is.
std::wstring redirectedPath(const std::wstring& path);

// Whether the path names an existing file, not a folder.
bool isPlainFile(const std::wstring& path);

// The file opened to be read as data, only where it is a file on a disk
// (GetFileType): a pipe or a device is closed again unread, and a pipe's
// server never gets to act as this program. Others may go on reading and
// deleting it, as the loader lets them. Empty otherwise.
unique_hfile openDiskFile(const std::wstring& path);

}  // namespace trevanil::win32

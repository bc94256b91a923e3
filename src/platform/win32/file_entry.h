// What an open file handle is, for the files the elevated program writes in
// a folder others may write to: the entry under the name itself, or what a
// link planted there leads to.
#pragma once

#include <windows.h>

#include <string>

namespace trevanil::win32 {

// Whether the open entry is the one at `path` itself and not what a link
// there leads to. Windows opens a link itself when asked
// (FILE_FLAG_OPEN_REPARSE_POINT); Wine always opens what a Unix link leads
// to, and then names that. A program folder that is a link is followed.
// Where the system cannot name what is open, the open itself is trusted.
bool isEntryItself(HANDLE entry, const std::wstring& path);

// The entry itself, and a plain file with no other name: no link of either
// kind.
bool isSoleEntry(HANDLE entry, const std::wstring& path);

}  // namespace trevanil::win32

// What an open file handle is, for the files the elevated program writes in
// a folder others may write to: the entry under the name itself, or what a
// link planted there leads to.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace trevanil::win32 {

// The path of an open file or folder as the system names it, every link and
// short name resolved; empty when the system cannot tell.
std::wstring finalPath(HANDLE handle);

// A file or folder as the system knows it, whatever names lead to it: its
// volume and its number there.
struct FileId {
    DWORD volume = 0;
    ULONGLONG number = 0;
    bool operator==(const FileId& other) const noexcept {
        return volume == other.volume && number == other.number;
    }
};

// Empty when the system cannot tell.
std::optional<FileId> fileId(HANDLE handle);

// Whether the open entry is the one named `name` (a long or a short name) in
// the open `folder` itself, and not what a link there leads to. Windows
// opens a link itself when asked (FILE_FLAG_OPEN_REPARSE_POINT); Wine always
// opens what a Unix link leads to, and then names that. An entry or a folder
// the system cannot name is refused.
bool isEntryItself(HANDLE entry, HANDLE folder, const std::wstring& name);

// The entry itself, and a plain file with no other name: no link of either
// kind.
bool isSoleEntry(HANDLE entry, HANDLE folder, const std::wstring& name);

}  // namespace trevanil::win32

// How a path reaches its file, wherever the program was started: the one
// rule by which the loader refuses a path, and by which the diagnosis and
// the check decide what they may read. A path is text: nothing is asked of
// the system to tell its kind.
#pragma once

#include <string_view>

namespace trevanil {

enum class PathKind {
    local,     // a drive's own path: "C:\...", "C:/...", "\\?\C:\..."
    network,   // "\\server\share\...", "\\?\UNC\server\share\..."
    device,    // any other "\\.\..." or "\\?\..." (a pipe, a volume, a disk), or a device's name (NUL, COM1.ocx)
    relative,  // one that depends on the current folder or drive: "x.ocx", "System\x.ocx", "\x.ocx", "C:x.ocx"
};

PathKind pathKind(std::string_view path);

// Whether the path names one place whatever the current folder is.
inline bool isAnchored(std::string_view path) { return pathKind(path) != PathKind::relative; }

}  // namespace trevanil

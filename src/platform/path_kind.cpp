#include "platform/path_kind.h"

#include <string>

#include "platform/text.h"

namespace trevanil {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "X:\...": a drive letter, a colon and a separator. "C:x" is relative to
// the current folder of drive C.
bool isDrivePath(std::string_view path) {
    if (path.size() < 3 || path[1] != ':' || !isSeparator(path[2])) return false;
    const char drive = static_cast<char>(path[0] | 0x20);  // lower case for a letter
    return drive >= 'a' && drive <= 'z';
}

// The system opens a device for these names in any folder, with any
// extension ("C:\Windows\System\COM1.ocx" is the serial port).
bool isDeviceName(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = lowerAscii(path.substr(slash == std::string_view::npos ? 0 : slash + 1));
    name = name.substr(0, name.find('.'));
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.pop_back();
    if (name == "con" || name == "prn" || name == "aux" || name == "nul" || name == "conin$" || name == "conout$") {
        return true;
    }
    return name.size() == 4 && (name.rfind("com", 0) == 0 || name.rfind("lpt", 0) == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

}  // namespace

PathKind pathKind(std::string_view path) {
    // "\\.\", "\\?\" and the system's own "\??\" hand the rest to the
    // object manager: a drive path there is still a file on a drive.
    const bool twoSeparators = path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
    const bool prefixed = path.size() >= 4 && isSeparator(path[3]) &&
                          ((twoSeparators && (path[2] == '.' || path[2] == '?')) ||
                           (path[0] == '\\' && path[1] == '?' && path[2] == '?'));
    if (prefixed) {
        const std::string_view rest = path.substr(4);
        if (isDrivePath(rest)) return isDeviceName(rest) ? PathKind::device : PathKind::local;
        const bool unc = rest.size() >= 4 && lowerAscii(rest.substr(0, 3)) == "unc" && isSeparator(rest[3]);
        return unc ? PathKind::network : PathKind::device;
    }
    if (twoSeparators) return PathKind::network;
    if (!isDrivePath(path)) return PathKind::relative;
    return isDeviceName(path) ? PathKind::device : PathKind::local;
}

}  // namespace trevanil

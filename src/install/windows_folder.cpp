#include "install/windows_folder.h"

#include <string_view>


namespace trevanil {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The drive letter, in lower case, of "X:\..." or "\\?\X:\..." (either
// separator); 0 for any other form: relative, on the current drive, a
// share, a device, a pipe.
char driveOf(std::string_view path) {
    if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] == '?' && isSeparator(path[3])) {
        path.remove_prefix(4);
    }
    if (path.size() < 3 || path[1] != ':' || !isSeparator(path[2])) return 0;
    const char drive = static_cast<char>(path[0] | 0x20);  // lower case for a letter
    return drive >= 'a' && drive <= 'z' ? drive : 0;
}

}  // namespace

WindowsFolders::WindowsFolders(const std::string& windowsFolder)
    : windows(windowsFolder),
      system(windowsFolder.empty() ? std::string() : windowsFolder + "\\System"),
      system32(windowsFolder.empty() ? std::string() : windowsFolder + "\\System32") {}

WindowsFolderChoice windowsFolderFrom(const std::string& windir, const SystemFolders& system) {
    const std::string folder = system.windowsFolder();
    const char drive = driveOf(windir);
    if (drive != 0 && drive == driveOf(folder) && system.sameFolder(windir, folder)) {
        return {WindowsFolders(folder), std::nullopt};
    }
    return {WindowsFolders(), Cause{"WINDIR", causes::WindirRefused{windir, folder}}};
}

}  // namespace trevanil

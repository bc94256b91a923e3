// The Windows folder the pass and the check work in. WINDIR as the process
// received it is the signed-in user's to set (HKCU\Environment) for a
// program elevated through the UAC prompt: it is used only where it names
// the system's own Windows folder, and then as the system spells it, so
// that no link of the user's on the way can change between the question
// and the use. Any other value counts as unset: the pass copies and loads
// nothing, the check reads nothing.
#pragma once

#include <optional>
#include <string>

#include "detail/cause.h"
#include "platform/system_folders.h"

namespace trevanil {

// The folders the pass and the check name files in, built once from the
// Windows folder; all empty when there is none.
struct WindowsFolders {
    WindowsFolders() = default;
    explicit WindowsFolders(const std::string& windowsFolder);

    bool none() const { return windows.empty(); }

    std::string windows;
    std::string system;    // the files registered
    std::string system32;  // the copies' destination (SysWOW64 for a 32-bit program on 64-bit Windows)
};

struct WindowsFolderChoice {
    WindowsFolders folders;        // none when WINDIR does not name the system's Windows folder
    std::optional<Cause> refused;  // why not, for the detailed log and the check's report
};

// Only a path on the system folder's drive ("X:\...", "\\?\X:\...") is
// asked about: a server's share, a device or a pipe is never opened.
WindowsFolderChoice windowsFolderFrom(const std::string& windir, const SystemFolders& system);

}  // namespace trevanil

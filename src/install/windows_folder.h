// The Windows folder the pass and the check work in. WINDIR as the process
// received it is the signed-in user's to set (HKCU\Environment) for a
// program elevated through the UAC prompt: it is used only where it names
// the system's own Windows folder, and then as the system spells it, so
// that no link of the user's on the way can change between the question
// and the use. Any other value counts as unset: the pass copies and loads
// nothing, the check reads nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "detail/cause.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"
#include "platform/system_folders.h"

namespace trevanil {

struct WindowsFolder {
    std::string path;              // the system's Windows folder; empty when WINDIR does not name it
    std::optional<Cause> refused;  // why not, for the detailed log and the check's report
};

// Only a path on the system folder's drive ("X:\...", "\\?\X:\...") is
// asked about: a server's share, a device or a pipe is never opened.
WindowsFolder windowsFolderFrom(const std::string& windir, const SystemFolders& system);

// The runtime the pass and the check see: its WINDIR is the folder decided
// above; with none, every copy is refused before it reaches the system.
class WindowsFolderRuntime final : public ForwardingRuntime {
public:
    WindowsFolderRuntime(Runtime& runtime, std::string windowsFolder) noexcept
        : ForwardingRuntime(runtime), windowsFolder_(std::move(windowsFolder)) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;
    std::string environment(std::string_view name) const override;

private:
    std::string windowsFolder_;
};

// The loader the pass sees: with no Windows folder nothing is loaded.
class WindowsFolderLoader final : public ModuleLoader {
public:
    WindowsFolderLoader(ModuleLoader& loader, std::string windowsFolder) noexcept
        : loader_(loader), windowsFolder_(std::move(windowsFolder)) {}

    std::unique_ptr<Module> load(const std::string& path) override;
    std::uint32_t lastError() const override;

private:
    ModuleLoader& loader_;
    std::string windowsFolder_;
};

}  // namespace trevanil

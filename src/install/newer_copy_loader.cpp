#include "install/newer_copy_loader.h"

#include <optional>

#include "platform/text.h"

namespace trevanil {

namespace {

// The file name after `folder` (ending in a separator) when `path` names a
// file right in it, compared without regard to case; nothing otherwise.
std::optional<std::string> nameIn(const std::string& folder, const std::string& path) {
    if (path.size() <= folder.size() || lowerAscii(path.substr(0, folder.size())) != lowerAscii(folder)) {
        return std::nullopt;
    }
    std::string name = path.substr(folder.size());
    if (name.find_first_of("\\/") != std::string::npos) return std::nullopt;
    return name;
}

}  // namespace

std::unique_ptr<Module> NewerCopyLoader::load(const std::string& path) {
    const std::string windows = runtime_.environment("WINDIR");
    const auto name = nameIn(windows + "\\System\\", path);
    if (!name) return loader_.load(path);
    const auto system = versions_.versionOf(path);
    if (!system) return loader_.load(path);  // missing, or no version: no comparison
    const std::string system32Path = windows + "\\System32\\" + *name;
    const auto system32 = versions_.versionOf(system32Path);
    if (!keepsDestination(system, system32)) return loader_.load(path);
    if (heard_) heard_({*name, system32Path, *system, *system32});
    return loader_.load(system32Path);
}

}  // namespace trevanil

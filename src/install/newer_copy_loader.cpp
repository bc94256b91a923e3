#include "install/newer_copy_loader.h"

#include <optional>
#include <utility>

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

// The module loaded where System32 held the higher version: a registration
// it makes (status 0) is heard.
class HeardModule final : public Module {
public:
    HeardModule(std::unique_ptr<Module> module, std::function<void()> made)
        : module_(std::move(module)), made_(std::move(made)) {}

    EntryPoint procAddress(const std::string& name) const override { return module_->procAddress(name); }

    std::int32_t call(EntryPoint entry, std::int32_t hWnd) override {
        const std::int32_t status = module_->call(entry, hWnd);
        if (status == 0 && made_) std::exchange(made_, nullptr)();
        return status;
    }

private:
    std::unique_ptr<Module> module_;
    std::function<void()> made_;
};

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
    // What this run wrote came from the program's folder: never run it.
    const bool copied = copies_.wrote(*name);
    const std::string& loaded = copied ? path : system32Path;
    auto module = loader_.load(loaded);
    if (!module || !heard_) return module;
    Cause made{*name, causes::RegisteredFromSystem32{loaded, *system, *system32}};
    if (copied) made.detail = causes::RegisteredOlderThanCopy{*system, *system32};
    return std::make_unique<HeardModule>(std::move(module), [heard = heard_, made] { heard(made); });
}

}  // namespace trevanil

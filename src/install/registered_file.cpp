#include "install/registered_file.h"

#include "install/version_rule.h"

namespace trevanil {

RegisteredFile::Choice RegisteredFile::of(const WindowsFolders& folders, const std::string& name) const {
    const std::string inSystem = folders.system + "\\" + name;
    const auto system = versions_.versionOf(inSystem);
    if (!system) return {inSystem, std::nullopt};  // missing, or no version: no comparison
    const std::string inSystem32 = folders.system32 + "\\" + name;
    const auto system32 = versions_.versionOf(inSystem32);
    if (!keepsDestination(system, system32)) return {inSystem, std::nullopt};
    // What this run wrote came from the program's folder: never run it.
    const bool copied = copies_.wrote(name);
    const std::string& loaded = copied ? inSystem : inSystem32;
    Cause why{name, causes::RegisteredFromSystem32{loaded, *system, *system32}};
    if (copied) why.detail = causes::RegisteredOlderThanCopy{*system, *system32};
    return {loaded, std::move(why)};
}

void RegisteredFile::registered(const Choice& choice) const {
    if (choice.why && heard_) heard_(*choice.why);
}

}  // namespace trevanil

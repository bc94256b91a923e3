// The loader of the registration phase. A component is registered from the
// file it is given, in the System folder, unless the System32 folder holds a
// higher version of it that this run did not write: the copy kept that newer
// file there, and the registration must not point the component's classes
// back at the older one. A file this run wrote came from the program's
// folder and is never loaded. One rule for both phases (keepsDestination),
// on versions read as data.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "detail/cause.h"
#include "install/copy_record.h"
#include "install/version_rule.h"
#include "platform/file_version.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"

namespace trevanil {

class NewerCopyLoader final : public ModuleLoader {
public:
    // `heard` learns of every registration made where System32 held the
    // higher version, as its cause for the detailed log (registered from
    // System32, or from System because this run wrote System32's file);
    // none without it. One that fails is not heard.
    using Heard = std::function<void(const Cause&)>;

    NewerCopyLoader(ModuleLoader& loader, const VersionReader& versions, const Runtime& runtime,
                    const CopyRecord& copies, Heard heard = {})
        : loader_(loader), versions_(versions), runtime_(runtime), copies_(copies), heard_(std::move(heard)) {}

    // `<WINDIR>\System\<name>` becomes `<WINDIR>\System32\<name>` when that
    // file's version is the higher and no copy of this run wrote it; any
    // other path goes on as given. A file missing from System stays
    // missing: it has no version to compare.
    std::unique_ptr<Module> load(const std::string& path) override;
    std::uint32_t lastError() const override { return loader_.lastError(); }

private:
    ModuleLoader& loader_;
    const VersionReader& versions_;
    const Runtime& runtime_;
    const CopyRecord& copies_;
    Heard heard_;
};

}  // namespace trevanil

// Which file the registration phase loads for a component. It is the one
// in the System folder, unless the System32 folder holds a higher version
// of it that this run did not write: the copy kept that newer file there,
// and the registration must not point the component's classes back at the
// older one. A file this run wrote came from the program's folder and is
// never loaded. One rule for both phases (keepsDestination), on versions
// read as data.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "detail/cause.h"
#include "install/copy_record.h"
#include "install/windows_folder.h"
#include "platform/file_version.h"

namespace trevanil {

class RegisteredFile {
public:
    // `heard` learns of every registration made where System32 held the
    // higher version, as its cause for the detailed log (registered from
    // System32, or from System because this run wrote System32's file);
    // none without it.
    using Heard = std::function<void(const Cause&)>;

    RegisteredFile(const VersionReader& versions, const CopyRecord& copies, Heard heard = {})
        : versions_(versions), copies_(copies), heard_(std::move(heard)) {}

    struct Choice {
        std::string path;          // the file to load
        std::optional<Cause> why;  // what `heard` learns once it registered; none: the usual file
    };

    // System's file of the component, or System32's where that file's
    // version is the higher and no copy of this run wrote it. A file
    // missing from System stays missing: it has no version to compare.
    Choice of(const WindowsFolders& folders, const std::string& name) const;

    // The chosen file registered (its entry point returned 0): `heard`
    // learns why it was that file. One that failed is not told.
    void registered(const Choice& choice) const;

private:
    const VersionReader& versions_;
    const CopyRecord& copies_;
    Heard heard_;
};

}  // namespace trevanil

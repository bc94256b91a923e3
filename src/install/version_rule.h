// The version rule of both phases: a shared component is never replaced by
// an older one (the copy keeps the newer file it finds), and the
// registration never points its classes back at the older one.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/file_version.h"
#include "platform/runtime.h"

namespace trevanil {

// The destination stays as it is only when both files have a version and
// the destination's is higher; a file without one never decides.
bool keepsDestination(std::optional<FileVersion> source, std::optional<FileVersion> destination);

// The runtime it wraps, except that its file-system objects keep a newer
// destination instead of copying over it (CopyOutcome::keptNewer); the
// versions are read as data.
class KeepNewerRuntime final : public ForwardingRuntime {
public:
    KeepNewerRuntime(Runtime& runtime, const VersionReader& versions) noexcept
        : ForwardingRuntime(runtime), versions_(versions) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;

private:
    const VersionReader& versions_;
};

}  // namespace trevanil

// A file in use is replaced at the next restart. Where a copy fails because
// another program holds the destination (a business application that has
// the control loaded), the program's file is copied beside it under a name
// of its own and the system is asked to put it in place as it starts. Only
// one replacement waits per file, however often the program runs before the
// restart; the file beside it is never registered (the copy record keeps
// the destination as this run's write, so the registration takes System's).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/restart_renames.h"
#include "platform/runtime.h"

namespace trevanil {

// The file that waits beside `bootPath` (a file as the system reads it at
// boot) for the restart: one name per file, so that a second run before
// the restart finds it again.
std::string stagedName(const std::string& bootPath);

// Whether the list (as RestartRenames::pending gives it) holds the rename
// of `from` onto `to`, paths compared without regard to case.
bool renameWaits(const std::vector<std::string>& pending, const std::string& from, const std::string& to);

// Whether the list holds a rename that replaces `file` at the restart.
bool replacedAtRestart(const std::vector<std::string>& pending, const std::string& file);

// Whether a copy that failed with this system error met a destination in
// use: a sharing violation, or access denied where the system says another
// program holds the file (a loaded image); access denied on a read-only
// file is not.
bool destinationInUse(std::uint32_t systemCode, const RestartRenames& renames, const std::string& destination);

// The runtime it wraps, except that its file-system objects leave a copy
// onto a file in use for the next restart (CopyOutcome::atRestart) instead
// of failing; every other failure goes on as it came. What waits is heard
// here, for the exit code and the box.
class ReplaceAtRestartRuntime final : public ForwardingRuntime {
public:
    ReplaceAtRestartRuntime(Runtime& runtime, RestartRenames& renames) noexcept
        : ForwardingRuntime(runtime), renames_(renames) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;

    // The files this run left for the restart, as the system reads them then.
    const std::vector<std::string>& waiting() const { return waiting_; }

private:
    RestartRenames& renames_;
    std::vector<std::string> waiting_;
};

}  // namespace trevanil

// What this run's copies may have written, by file name. The files to copy
// come from the program's folder, which an ordinary user may write to, and
// the program runs elevated: the registration never loads a file this run
// wrote. The copy's outcome reaches the loader's rule as data, through the
// runtime that wraps the copies (RecordingRuntime); the pass makes the same
// calls either way.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/runtime.h"

namespace trevanil {

class CopyRecord {
public:
    // Whether a copy in this run may have written a file of this name
    // (compared without regard to case). A copy that kept a newer file is
    // no write; one that failed is: it may have stopped half-way.
    bool wrote(const std::string& name) const;

private:
    friend class RecordingRuntime;
    std::set<std::string> written_;  // lower-case names
};

// The runtime it wraps, except that its file-system objects note every copy
// in the record before it starts, and take it off once it kept the newer
// file that was there.
class RecordingRuntime final : public ForwardingRuntime {
public:
    RecordingRuntime(Runtime& runtime, CopyRecord& record) noexcept : ForwardingRuntime(runtime), record_(record) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;

private:
    CopyRecord& record_;
};

}  // namespace trevanil

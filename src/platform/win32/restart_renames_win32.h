// The renames at the next restart on Win32: MoveFileExW's delayed renames,
// and the Session Manager's list of them read back.
#pragma once

#include <string>
#include <vector>

#include "platform/restart_renames.h"

namespace trevanil::win32 {

// PendingFileRenameOperations, one string per entry (a deletion's empty
// one kept); empty when there is none or it cannot be read.
std::vector<std::string> pendingRenameList();

class Win32RestartRenames final : public RestartRenames {
public:
    std::string bootPath(const std::string& path) const override;
    bool inUse(const std::string& path) const override;
    std::vector<std::string> pending() const override { return pendingRenameList(); }
    void schedule(const std::string& from, const std::string& to) override;
    void scheduleDeletion(const std::string& path) override;
    void discard(const std::string& path) noexcept override;
};

}  // namespace trevanil::win32

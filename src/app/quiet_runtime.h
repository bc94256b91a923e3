// The runtime of an unattended run: the runtime it wraps, except that
// nothing is shown and nothing waits for anyone. The text of a message box is
// kept for the caller instead, and a launch starts nothing (the viewer). The
// pass makes the same calls either way.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime.h"

namespace trevanil {

class QuietRuntime final : public ForwardingRuntime {
public:
    explicit QuietRuntime(Runtime& runtime) noexcept : ForwardingRuntime(runtime) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;
    void shell(const std::string& commandLine, WindowStyle style) override;
    void msgBox(const std::string& prompt) override { reports_.push_back(prompt); }

    // What message boxes would have shown, in order.
    const std::vector<std::string>& reports() const { return reports_; }
    // Whether a text file was created at this path during the run: a report
    // is added to the log only where the run itself created it.
    bool created(const std::string& path) const;

private:
    std::vector<std::string> reports_;
    std::vector<std::string> created_;
};

}  // namespace trevanil

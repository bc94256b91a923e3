// The runtime of a run with the detailed log (/V): the runtime it wraps,
// except that every copy that fails is noted on its way out, and a text file
// gets the detail lines just before it closes, after the lines the pass
// wrote and before anything added to it later. The pass makes the same
// calls either way.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/runtime.h"

namespace trevanil {

// A copy that did not happen: it failed with `error`, or the destination
// was a newer version of the file and stayed (`outcome.keptNewer`).
struct CopyNotDone {
    std::string source;
    std::string destination;
    PlatformError error;
    CopyOutcome outcome;
};

class DetailedRuntime final : public Runtime {
public:
    // The detail lines, asked for when the log closes, from the copies that
    // did not happen until then.
    using Details = std::function<std::vector<std::string>(const std::vector<CopyNotDone>&)>;

    DetailedRuntime(Runtime& runtime, Details details) : runtime_(runtime), details_(std::move(details)) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;
    std::string appPath() const override { return runtime_.appPath(); }
    std::string logPath() const override { return runtime_.logPath(); }
    std::string environment(std::string_view name) const override { return runtime_.environment(name); }
    void shell(const std::string& commandLine, WindowStyle style) override { runtime_.shell(commandLine, style); }
    void doEvents() override { runtime_.doEvents(); }
    void msgBox(const std::string& prompt) override { runtime_.msgBox(prompt); }
    void end() override { runtime_.end(); }

private:
    Runtime& runtime_;
    Details details_;
    std::vector<CopyNotDone> copyFailures_;
};

}  // namespace trevanil

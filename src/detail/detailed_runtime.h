// The runtime of a run with the detailed log (/V): the runtime it wraps,
// except that every copy that does not happen is told to the collector on
// its way out, and a text file gets the collector's lines just before it
// closes, after the lines the pass wrote and before anything added to it
// later. The pass makes the same calls either way.
#pragma once

#include <memory>
#include <string>

#include "detail/detail_collector.h"
#include "platform/runtime.h"

namespace trevanil {

class DetailedRuntime final : public Runtime {
public:
    DetailedRuntime(Runtime& runtime, DetailCollector& collector) noexcept
        : runtime_(runtime), collector_(collector) {}

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
    DetailCollector& collector_;
};

}  // namespace trevanil

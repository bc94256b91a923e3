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

class DetailedRuntime final : public ForwardingRuntime {
public:
    DetailedRuntime(Runtime& runtime, DetailCollector& collector) noexcept
        : ForwardingRuntime(runtime), collector_(collector) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;

private:
    DetailCollector& collector_;
};

}  // namespace trevanil

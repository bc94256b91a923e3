// The module loader of a run with the detailed log (/V): the loader it
// wraps, except that a load that fails, an entry point that is missing and
// a status other than 0 are told to the collector. Registration asks the
// same questions and gets the same answers either way.
#pragma once

#include <memory>
#include <string>

#include "detail/detail_collector.h"
#include "platform/module_loader.h"

namespace trevanil {

class DetailedLoader final : public ModuleLoader {
public:
    DetailedLoader(ModuleLoader& loader, DetailCollector& collector) noexcept : loader_(loader), collector_(collector) {}

    std::unique_ptr<Module> load(const std::string& path) override;
    std::uint32_t lastError() const override { return loader_.lastError(); }

private:
    ModuleLoader& loader_;
    DetailCollector& collector_;
};

}  // namespace trevanil

#include "detail/detailed_loader.h"

#include <new>
#include <utility>

namespace trevanil {

namespace {

using Step = RegistrationNotDone::Step;

// Telling never reaches the registration: a record that cannot even be
// made (no memory) is left out.
void tell(DetailCollector& collector, const std::string& path, Step step, const std::string& entry,
          std::uint32_t code) noexcept {
    try {
        collector.registrationNotDone({path, step, entry, code});
    } catch (const std::bad_alloc&) {
    }
}

// The wrapped module: the entry point looked up last is the one called.
class DetailedModule final : public Module {
public:
    DetailedModule(std::unique_ptr<Module> module, std::string path, DetailCollector& collector)
        : module_(std::move(module)), path_(std::move(path)), collector_(collector) {}

    EntryPoint procAddress(const std::string& name) const override {
        const EntryPoint entry = module_->procAddress(name);
        if (entry == 0) tell(collector_, path_, Step::entryPoint, name, 0);
        entry_ = name;
        return entry;
    }

    std::int32_t call(EntryPoint entry, std::int32_t hWnd) override {
        const std::int32_t status = module_->call(entry, hWnd);
        if (status != 0) tell(collector_, path_, Step::call, entry_, static_cast<std::uint32_t>(status));
        return status;
    }

private:
    std::unique_ptr<Module> module_;
    std::string path_;
    DetailCollector& collector_;
    mutable std::string entry_;
};

}  // namespace

std::unique_ptr<Module> DetailedLoader::load(const std::string& path) {
    auto module = loader_.load(path);
    if (!module) {
        tell(collector_, path, Step::load, {}, loader_.lastError());
        return nullptr;
    }
    return std::make_unique<DetailedModule>(std::move(module), path, collector_);
}

}  // namespace trevanil

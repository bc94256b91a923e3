// The module loader on Win32: narrow (ANSI) paths, a component's own
// dependencies looked up beside it and in the system folder, nowhere else.
// It keeps what it already knows of every failure (the load's error, the
// missing entry point, the status returned) for the detailed log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/module_loader.h"
#include "platform/win32/ole_session.h"

namespace trevanil::win32 {

struct LoadFailure {
    enum class Step { load, entryPoint, call };
    std::string path;   // as given to load
    Step step = Step::load;
    std::string entry;  // the entry point looked up or called
    std::uint32_t code = 0;  // the load's system error, or the status the entry point returned
};

class Win32ModuleLoader : public ModuleLoader {
public:
    std::unique_ptr<Module> load(const std::string& path) override;

    // Every failure so far, in the order they happened.
    const std::vector<LoadFailure>& failures() const { return failures_; }

private:
    OleSession ole_;  // started before the first component loads
    std::vector<LoadFailure> failures_;
};

}  // namespace trevanil::win32

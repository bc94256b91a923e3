// The module loader on Win32: narrow (ANSI) paths, a component's own
// dependencies looked up beside it and in the system folder, nowhere else.
// It keeps what it already knows of every failure (the load's error, the
// missing entry point, the status returned) for the detailed log.
#pragma once

#include <cstdint>
#include <string>

#include "platform/module_loader.h"
#include "platform/win32/ole_session.h"

namespace trevanil::win32 {

class Win32ModuleLoader : public ModuleLoader {
public:
    std::unique_ptr<Module> load(const std::string& path) override;
    std::uint32_t lastError() const override { return lastError_; }

private:
    OleSession ole_;  // started before the first component loads
    std::uint32_t lastError_ = 0;
};

}  // namespace trevanil::win32

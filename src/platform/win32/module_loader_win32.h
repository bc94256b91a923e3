// The module loader on Win32: narrow (ANSI) paths, a component's own
// dependencies looked up beside it and in the system folder, nowhere else.
#pragma once

#include "platform/module_loader.h"
#include "platform/win32/ole_session.h"

namespace trevanil::win32 {

class Win32ModuleLoader : public ModuleLoader {
public:
    std::unique_ptr<Module> load(const std::string& path) override;

private:
    OleSession ole_;  // started before the first component loads
};

}  // namespace trevanil::win32

// The operating system's module loader, as self-registration needs it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace trevanil {

using EntryPoint = std::uintptr_t;  // 0: no such export

class Module {
public:
    virtual ~Module() = default;  // releases the module (one FreeLibrary)
    virtual EntryPoint procAddress(const std::string& name) const = 0;
    // Calls an entry point that takes no arguments and returns a 32-bit
    // status, on the calling thread. The window handle only travels along.
    virtual std::int32_t call(EntryPoint entry, std::int32_t hWnd) = 0;
};

class ModuleLoader {
public:
    virtual ~ModuleLoader() = default;
    // The path goes to the narrow loader in the ANSI code page. Null when the
    // module cannot be loaded.
    virtual std::unique_ptr<Module> load(const std::string& path) = 0;
    // The system's error number of the last load that gave null.
    virtual std::uint32_t lastError() const = 0;
};

}  // namespace trevanil

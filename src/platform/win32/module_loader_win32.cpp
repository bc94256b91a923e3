#include "platform/win32/module_loader_win32.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

class Win32Module : public Module {
public:
    explicit Win32Module(unique_hmodule module) : module_(std::move(module)) {}

    EntryPoint procAddress(const std::string& name) const override {
        return reinterpret_cast<EntryPoint>(::GetProcAddress(module_.get(), name.c_str()));
    }

    std::int32_t call(EntryPoint entry, std::int32_t /*hWnd*/) override {
        if (entry == 0) return E_POINTER;  // never call through a missing address
        using SelfRegistration = HRESULT(STDAPICALLTYPE*)();
        return reinterpret_cast<SelfRegistration>(entry)();
    }

private:
    unique_hmodule module_;
};

// The system's own boxes ("a required file is missing", "no disk in the
// drive") stay away while a component loads; the caller only wants a yes or
// no. The earlier mode comes back when the load is over.
class QuietErrorMode {
public:
    QuietErrorMode() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
    ~QuietErrorMode() { ::SetThreadErrorMode(previous_, nullptr); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD previous_ = 0;
};

// The LOAD_LIBRARY_SEARCH_* flags exist where SetDefaultDllDirectories does
// (Windows 8, or Windows 7 with its update); older systems reject them.
bool hasSearchFlags() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr && ::GetProcAddress(kernel, "SetDefaultDllDirectories") != nullptr;
}

// A component's own dependencies are looked up in its folder first, then in
// the system's safe places.
HMODULE loadComponent(const std::string& ansiPath) {
    if (hasSearchFlags()) {
        const HMODULE module =
            ::LoadLibraryExA(ansiPath.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR wants a fully qualified path.
        if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
            return ::LoadLibraryExA(ansiPath.c_str(), nullptr, 0);
        }
        return module;
    }
    return ::LoadLibraryExA(ansiPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

std::unique_ptr<Module> Win32ModuleLoader::load(const std::string& path) {
    const std::string ansiPath = toAnsi(path);
    unique_hmodule module;
    {
        const QuietErrorMode quiet;
        module.reset(loadComponent(ansiPath));
    }
    if (!module) return nullptr;
    return std::make_unique<Win32Module>(std::move(module));
}

}  // namespace trevanil::win32

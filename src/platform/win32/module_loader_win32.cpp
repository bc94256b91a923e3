#include "platform/win32/module_loader_win32.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/path_kind.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

class Win32Module : public Module {
public:
    explicit Win32Module(unique_hmodule module) noexcept : module_(std::move(module)) {}

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
    return systemProc<FARPROC>(L"kernel32.dll", "SetDefaultDllDirectories") != nullptr;
}

// A component's own dependencies are looked up beside it and in the system
// folder only. The program runs elevated from a folder the user unpacked:
// that folder (the application's, and usually the current one) must never
// supply a DLL to a component. A load that the flags refuse stays refused.
HMODULE loadComponent(const std::string& ansiPath) {
    // The search flags below want a fully qualified path.
    const std::string path = fullAnsiPath(ansiPath);
    if (path.empty()) return nullptr;
    if (hasSearchFlags()) {
        return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Older systems: the component's folder takes the application's place;
    // the current folder leaves the search (the Windows folder and PATH stay).
    ::SetDllDirectoryW(L"");
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

// A path that would depend on the current folder (the download folder
// when the program was started from Explorer, whose drive any user may add
// folders to) is refused with an error of its own, never an earlier load's:
// "\..." (the root of the current drive, which an unset WINDIR gives),
// "windows\..." or "C:windows\...".
std::unique_ptr<Module> Win32ModuleLoader::load(const std::string& path) {
    ole_.start();
    if (!isAnchored(path)) {
        lastError_ = ERROR_BAD_PATHNAME;
        return nullptr;
    }
    const std::string ansiPath = toAnsi(path);
    unique_hmodule module;
    DWORD error = 0;
    {
        const QuietErrorMode quiet;
        module.reset(loadComponent(ansiPath));
        error = ::GetLastError();
    }
    if (!module) {
        lastError_ = error;
        return nullptr;
    }
    return std::make_unique<Win32Module>(std::move(module));
}

}  // namespace trevanil::win32

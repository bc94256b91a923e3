// The check's questions answered on Win32: versions and type libraries read
// from the files as data, classes and type libraries from the registry, and
// the renames waiting for the restart.
#pragma once

#include "check/check_probe.h"
#include "platform/win32/class_registry.h"
#include "platform/win32/restart_renames_win32.h"

namespace trevanil::win32 {

class Win32CheckProbe final : public CheckProbe {
public:
    std::optional<FileVersion> version(const std::string& path) const override;
    std::optional<TypeLibrary> typeLibrary(const std::string& path) const override;
    std::optional<std::string> inprocServer(const std::string& clsid) const override {
        return registry_.inprocServer(clsid);
    }
    std::optional<std::string> typeLibraryFile(const TypeLibrary& library) const override {
        return registry_.typeLibraryFile(library);
    }
    std::vector<DeclaredClass> classesServedBy(const std::vector<std::string>& paths) const override {
        return registry_.classesServedBy(paths);
    }
    std::vector<std::string> pendingRenames() const override { return pendingRenameList(); }

private:
    ClassRegistry registry_;
};

}  // namespace trevanil::win32

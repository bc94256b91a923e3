// The questions of the shared files' counts answered on Win32: files as
// this program reaches them, values of HKEY_LOCAL_MACHINE in this program's
// own registry view (no view flag: the 32-bit build on 64-bit Windows gets
// the 32-bit view, as every installer of 32-bit files does). The registry
// finds a value whatever the case of its name, and keeps the name of one
// it rewrites. advapi32's functions come from advapi32.h (not imported).
#pragma once

#include "platform/shared_files.h"

namespace trevanil::win32 {

class Win32SharedFiles final : public SharedFiles {
public:
    bool fileExists(const std::string& path) const override;
    RegistryValue value(SharedKey key, const std::string& name) const override;
    void setNumber(SharedKey key, const std::string& name, std::uint32_t number) override;
    void removeValue(SharedKey key, const std::string& name) override;
    void removeFile(const std::string& path) override;
};

}  // namespace trevanil::win32

// The questions of the shared files' counts answered on Win32: files as
// this program reaches them, values of HKEY_LOCAL_MACHINE in this program's
// own registry view (no view flag: the 32-bit build on 64-bit Windows gets
// the 32-bit view, as every installer of 32-bit files does). The registry
// finds a value whatever the case of its name, and keeps the name of one
// it rewrites. advapi32 is loaded from the system folder, not imported.
#pragma once

#include "platform/shared_files.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class Win32SharedFiles final : public SharedFiles {
public:
    Win32SharedFiles() noexcept;

    bool fileExists(const std::string& path) const override;
    RegistryValue value(SharedKey key, const std::string& name) const override;
    void setNumber(SharedKey key, const std::string& name, std::uint32_t number) override;
    void removeValue(SharedKey key, const std::string& name) override;
    void removeFile(const std::string& path) override;

private:
    using RegGetValueFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR, DWORD, LPDWORD, PVOID, LPDWORD);
    using RegSetKeyValueFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR, DWORD, LPCVOID, DWORD);
    using RegDeleteKeyValueFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR);

    unique_hmodule advapi32_;
    RegGetValueFn getValue_ = nullptr;
    RegSetKeyValueFn setValue_ = nullptr;
    RegDeleteKeyValueFn deleteValue_ = nullptr;
};

}  // namespace trevanil::win32

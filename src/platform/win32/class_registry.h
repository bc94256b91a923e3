// What the registry view this program registers into says of classes and
// type libraries (HKEY_CLASSES_ROOT as this program sees it: its 32-bit view
// for the 32-bit build on 64-bit Windows). Read only; advapi32 is loaded
// from the system folder, not imported.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/check_probe.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class ClassRegistry {
public:
    ClassRegistry();

    // The class's InprocServer32 file, environment strings expanded, quotes
    // dropped, a local path in its long form (any other as written);
    // nothing when the class or its server is not there.
    std::optional<std::string> inprocServer(const std::string& clsid) const;
    // TypeLib\{libid}\<major>.<minor>\<lcid>\win32 (a 64-bit program: win64,
    // else win32), the library's own locale first, then the neutral one.
    std::optional<std::string> typeLibraryFile(const TypeLibrary& library) const;
    // Every class under CLSID whose in-process server is one of these files
    // (compared as full paths, case ignored; only a server that may be one
    // of them by its name is read for its long form).
    std::vector<DeclaredClass> classesServedBy(const std::vector<std::string>& paths) const;

private:
    using RegGetValueFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR, DWORD, LPDWORD, PVOID, LPDWORD);
    using RegOpenKeyExFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
    using RegEnumKeyExFn = LSTATUS(WINAPI*)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME);

    // A text value (REG_SZ, or REG_EXPAND_SZ expanded); nothing when absent.
    std::optional<std::wstring> text(HKEY root, const std::wstring& subkey) const;

    unique_hmodule advapi32_;
    RegGetValueFn getValue_ = nullptr;
    RegOpenKeyExFn openKey_ = nullptr;
    RegEnumKeyExFn enumKey_ = nullptr;
};

}  // namespace trevanil::win32

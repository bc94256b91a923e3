// What the registry view this program registers into says of classes and
// type libraries (HKEY_CLASSES_ROOT as this program sees it: its 32-bit view
// for the 32-bit build on 64-bit Windows). Read only, through advapi32.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/check_probe.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class ClassRegistry {
public:
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
    // A text value (REG_SZ, or REG_EXPAND_SZ expanded); nothing when absent.
    std::optional<std::wstring> text(HKEY root, const std::wstring& subkey) const;
};

}  // namespace trevanil::win32

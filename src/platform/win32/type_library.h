// A component's type library read as data: the system's type-library loader
// (oleaut32, loaded from the system folder when first asked) opens the
// file's TYPELIB resource without registering anything; the file is mapped
// as data, none of its code runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "check/check_probe.h"

namespace trevanil::win32 {

// Nothing when the file holds no readable type library.
std::optional<TypeLibrary> readTypeLibrary(const std::wstring& path) noexcept;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the registry writes a GUID.
std::string guidText(const GUID& guid);

}  // namespace trevanil::win32

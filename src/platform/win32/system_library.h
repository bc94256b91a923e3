// A system DLL loaded from the system folder and nowhere else: the program
// runs from a folder of files to install, never a place to trust.
#pragma once

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// Empty when it cannot be loaded from there.
unique_hmodule loadSystemLibrary(const wchar_t* name) noexcept;

}  // namespace trevanil::win32

// The system's common controls (the progress bar class), loaded from the
// system folder only: never a comctl32.dll lying in the program's folder.
#pragma once

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// Loads comctl32 and registers the progress bar class. Keep the returned
// module for as long as windows of that class exist. Raises 429 when the
// library or its classes are not available.
unique_hmodule initCommonControls();

}  // namespace trevanil::win32

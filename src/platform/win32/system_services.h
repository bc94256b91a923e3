// Process-level services: the program's folder, the environment, launching
// a program, and the last Win32 error as a platform failure.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/runtime.h"

namespace trevanil::win32 {

// The folder of the running executable, without a trailing separator
// (except at a drive root, where the folder text is "C:\").
std::string applicationPath();
std::string environmentValue(std::string_view name);  // empty when unset
// Starts a program without waiting; raises 53 when it cannot be started. A
// bare program name is taken from the system folder only, never from the
// program's folder, the current one or PATH. The desktop shell starts it,
// as the signed-in user, with the arguments as written; where no shell
// answers, this program does, with the command line unchanged. The program
// starts with the system folder as its current folder.
void launch(const std::string& commandLine, WindowStyle style);

PlatformError lastError(std::int32_t fallback = errnum::accesoRutaArchivo);

}  // namespace trevanil::win32

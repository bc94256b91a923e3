// Process-level services: the program's folder, the environment, starting
// a program, and the last Win32 error as a platform failure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace trevanil::win32 {

// The folder of the running executable, without a trailing separator
// (except at a drive root, where the folder text is "C:\").
std::string applicationPath();
std::string environmentValue(std::string_view name);  // empty when unset
// Where a 64-bit process finds what this program sees as the system
// folder: none when this is not a 32-bit program on 64-bit Windows, empty
// when the system does not say.
std::optional<std::wstring> wow64Folder();
// Starts `program` (a full path) with `commandLine` in `folder` and returns
// without waiting; raises (53 where the system gives no reason) when it
// cannot be started.
void startProgram(const std::wstring& program, std::wstring commandLine, const std::wstring& folder, int show);

PlatformError lastError(std::int32_t fallback = errnum::pathFileAccessError);

}  // namespace trevanil::win32

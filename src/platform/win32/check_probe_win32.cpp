#include "platform/win32/check_probe_win32.h"

#include "platform/win32/file_version_win32.h"
#include "platform/win32/strings.h"
#include "platform/win32/type_library.h"

namespace trevanil::win32 {

std::optional<FileVersion> Win32CheckProbe::version(const std::string& path) const {
    return readFileVersion(toWide(path));
}

std::optional<TypeLibrary> Win32CheckProbe::typeLibrary(const std::string& path) const {
    return readTypeLibrary(toWide(path));
}

}  // namespace trevanil::win32

// A file's version, read from its version resource as data: the file is
// mapped as an image resource, never loaded as a program, so none of its
// code runs.
#pragma once

#include <optional>
#include <string>

#include "platform/file_version.h"

namespace trevanil::win32 {

// Nothing when the file cannot be opened or mapped, or has no readable
// version resource.
std::optional<FileVersion> readFileVersion(const std::wstring& path) noexcept;

// The same read for the logic, which names files in UTF-8.
class Win32VersionReader final : public VersionReader {
public:
    std::optional<FileVersion> versionOf(const std::string& path) const override;
};

}  // namespace trevanil::win32

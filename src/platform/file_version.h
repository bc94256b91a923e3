// File versions (major.minor.build.revision of a version resource) and the
// platform's reader of a file's version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace trevanil {

// The four 16-bit fields in one number, major first, so that one integer
// comparison orders versions (2.0.0.0 comes before 10.0.0.0).
using FileVersion = std::uint64_t;

constexpr FileVersion fileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant) {
    return (FileVersion{mostSignificant} << 32) | leastSignificant;
}


std::string versionText(FileVersion version);  // "a.b.c.d"

// The file version held by the bytes of a version resource
// (VS_VERSIONINFO and its fixed file information); nothing when the bytes
// are not one: too short, lengths past the end, another key or signature.
std::optional<FileVersion> versionFromResource(const unsigned char* data, std::size_t size);

// Reads a file's version as data: no code of the file runs. Nothing when the
// file is not there or has no readable version.
class VersionReader {
public:
    virtual ~VersionReader() = default;
    virtual std::optional<FileVersion> versionOf(const std::string& path) const = 0;
};

}  // namespace trevanil

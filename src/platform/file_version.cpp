#include "platform/file_version.h"

namespace trevanil {

namespace {

// VS_VERSIONINFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO"
// in UTF-16 with its terminator, padding to 32 bits, then the fixed file
// information (52 bytes) starting with its signature.
constexpr char kKey[] = "VS_VERSION_INFO";
constexpr std::size_t kKeyAt = 6;
constexpr std::size_t kFixedAt = 40;
constexpr std::size_t kFixedSize = 52;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;

std::uint32_t littleEndian(const unsigned char* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

}  // namespace


std::string versionText(FileVersion version) {
    std::string text;
    for (int shift = 48; shift >= 0; shift -= 16) {
        if (!text.empty()) text += '.';
        text += std::to_string((version >> shift) & 0xFFFF);
    }
    return text;
}

std::optional<FileVersion> versionFromResource(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size < kFixedAt + kFixedSize) return std::nullopt;
    const std::size_t length = littleEndian(data, 2);
    const std::size_t valueLength = littleEndian(data + 2, 2);
    if (length > size || length < kFixedAt + kFixedSize || valueLength < kFixedSize) return std::nullopt;
    for (std::size_t i = 0; i < sizeof kKey; ++i) {  // the terminator included
        if (littleEndian(data + kKeyAt + 2 * i, 2) != static_cast<unsigned char>(kKey[i])) return std::nullopt;
    }
    const unsigned char* fixed = data + kFixedAt;
    if (littleEndian(fixed, 4) != kFixedSignature) return std::nullopt;
    return fileVersion(littleEndian(fixed + 8, 4), littleEndian(fixed + 12, 4));
}

}  // namespace trevanil

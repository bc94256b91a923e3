// The bytes of a small Windows DLL that imports the names given, for the
// tests that read images: 0x200 bytes of headers, the names in their last
// bytes (from 0x180), then one section of 0x200 bytes at RVA 0x1000 that
// starts with the import descriptors.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pe_image.h"

namespace trevanil::test {

using Bytes = std::vector<std::uint8_t>;

inline void put(Bytes& b, std::size_t at, std::uint64_t value, std::size_t width = 4) {
    for (std::size_t i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline Bytes image(bool plus, const std::vector<std::string>& imports) {
    Bytes b(0x400);
    const std::size_t directories = 0x58 + (plus ? 112 : 96), section = directories + 128;
    put(b, 0, 'M' | 'Z' << 8, 2), put(b, 0x3C, 0x40), put(b, 0x40, 'P' | 'E' << 8);
    put(b, 0x44, plus ? pe::kMachineAmd64 : pe::kMachineI386, 2), put(b, 0x46, 1, 2);
    put(b, 0x54, section - 0x58, 2), put(b, 0x56, 0x2000, 2), put(b, 0x58, plus ? 0x20B : 0x10B, 2);
    put(b, 0x58 + 60, 0x200), put(b, directories - 4, 16), put(b, directories + 8, 0x1000);
    put(b, directories + 12, 60);
    put(b, section + 8, 0x200), put(b, section + 12, 0x1000), put(b, section + 16, 0x200), put(b, section + 20, 0x200);
    for (std::size_t i = 0, name = 0x180; i < imports.size(); name += imports[i++].size() + 1) {
        put(b, 0x20C + 20 * i, name), put(b, 0x210 + 20 * i, 0x1100);
        std::copy(imports[i].begin(), imports[i].end(), &b[name]);
    }
    return b;
}

}  // namespace trevanil::test

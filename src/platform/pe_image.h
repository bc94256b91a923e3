// A Windows image's header facts and the DLLs it imports, read from its
// bytes: nothing of it is loaded or run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trevanil::pe {

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

struct Image {
    std::uint16_t machine = 0;         // the file header's Machine
    bool pe32plus = false;             // optional header magic 0x20B (64-bit image)
    bool dll = false;                  // IMAGE_FILE_DLL characteristic
    std::vector<std::string> imports;  // DLL names of the import directory, as written, in table order
};

struct ReadResult {
    bool ok = false;
    Image image;          // what could be read (machine etc. may be set even when !ok)
    std::string problem;  // when !ok: a short Spanish cause, e.g. "la tabla de importaciones sale del archivo"
};

// Never reads outside [data, data + size), whatever the bytes hold.
ReadResult readImage(const std::uint8_t* data, std::size_t size);

}  // namespace trevanil::pe

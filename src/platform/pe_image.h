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

// What is wrong in a file that is not a readable image; the log's texts
// word each one.
enum class Problem {
    none,
    noMz,                   // too short for a DOS header, or no "MZ"
    noPeSignature,
    peHeaderCut,
    optionalHeaderCut,
    unknownOptionalHeader,  // neither PE32 nor PE32+
    tooManySections,
    sectionTableOutside,
    importTableOutside,
    importTableEndless,
    importNameUnterminated,
    importNameNotADll,      // holds a path: \, /, : or ..
};

struct ReadResult {
    Image image;  // what could be read (machine etc. may be set even when not ok)
    Problem problem = Problem::none;
    bool ok() const { return problem == Problem::none; }
};

// Never reads outside [data, data + size), whatever the bytes hold.
ReadResult readImage(const std::uint8_t* data, std::size_t size);

}  // namespace trevanil::pe

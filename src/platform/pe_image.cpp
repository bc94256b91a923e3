#include "platform/pe_image.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace trevanil::pe {
namespace {

// Hard limits, so that no count or offset in the file can make the reading
// long or large: the loader itself refuses more sections, and no component
// imports from thousands of DLLs or names one in more than MAX_PATH bytes.
constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kMaxDescriptors = 4096;
constexpr std::size_t kMaxName = 260;

constexpr std::size_t kDosHeader = 64;
constexpr std::size_t kFileHeader = 20;
constexpr std::size_t kSectionHeader = 40;
constexpr std::size_t kDescriptor = 20;
constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;

// Bytes of a file at a place the file holds, and nothing around them.
struct Span {
    std::size_t offset = 0;
    std::size_t size = 0;
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Whether [offset, offset + count) lies inside the file, without overflowing.
    bool holds(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
    std::uint16_t u16(std::size_t offset) const {
        return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    std::uint32_t u32(std::size_t offset) const {
        return static_cast<std::uint32_t>(u16(offset)) | static_cast<std::uint32_t>(u16(offset + 2)) << 16;
    }
    const std::uint8_t* at(std::size_t offset) const { return data_ + offset; }
    std::size_t size() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

struct Section {
    std::uint32_t rva = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawOffset = 0;
    std::uint32_t rawSize = 0;
};

// Where an address of the loaded image lies in the file: in the headers or in
// a section's raw data, as far as both that data and the file go.
Span mapRva(const Reader& file, std::uint32_t headersSize, const std::vector<Section>& sections, std::uint32_t rva) {
    if (rva < headersSize && rva < file.size()) {
        return {rva, std::min<std::size_t>(headersSize, file.size()) - rva};
    }
    for (const Section& s : sections) {
        // A section with no virtual size spans its raw data.
        const std::uint32_t extent = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
        if (rva < s.rva || rva - s.rva >= extent || rva - s.rva >= s.rawSize) continue;
        const std::uint64_t offset = std::uint64_t{s.rawOffset} + (rva - s.rva);
        if (offset > file.size()) return {};
        const auto at = static_cast<std::size_t>(offset);
        return {at, std::min<std::size_t>(s.rawSize - (rva - s.rva), file.size() - at)};
    }
    return {};
}

ReadResult fail(ReadResult& result, Problem problem) {
    result.problem = problem;
    return std::move(result);
}

// A name the loader would take as a path, not a DLL to search for: one
// that climbs out of a folder or names another drive or folder.
bool holdsAPath(std::string_view name) {
    return name.find_first_of("\\/:") != std::string_view::npos || name.find("..") != std::string_view::npos;
}

}  // namespace

ReadResult readImage(const std::uint8_t* data, std::size_t size) {
    ReadResult result;
    const Reader file(data, size);
    if (!file.holds(0, kDosHeader) || file.u16(0) != 0x5A4D) {
        return fail(result, Problem::noMz);
    }
    const std::size_t pe = file.u32(0x3C);
    if (!file.holds(pe, 4) || std::memcmp(file.at(pe), "PE\0\0", 4) != 0) {
        return fail(result, Problem::noPeSignature);
    }
    const std::size_t header = pe + 4;
    if (!file.holds(header, kFileHeader)) return fail(result, Problem::peHeaderCut);
    result.image.machine = file.u16(header);
    result.image.dll = (file.u16(header + 18) & kFileDll) != 0;
    const std::uint32_t sectionCount = file.u16(header + 2);
    const std::size_t optional = header + kFileHeader;
    const std::size_t optionalSize = file.u16(header + 16);

    // Only SizeOfHeaders and the import directory matter here; PE32+ has its
    // data directories 16 bytes further on.
    if (!file.holds(optional, 2)) return fail(result, Problem::optionalHeaderCut);
    const std::uint16_t magic = file.u16(optional);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
        return fail(result, Problem::unknownOptionalHeader);
    }
    result.image.pe32plus = magic == kMagicPe32Plus;
    const std::size_t directories = result.image.pe32plus ? 112 : 96;
    if (optionalSize < directories || !file.holds(optional, directories)) {
        return fail(result, Problem::optionalHeaderCut);
    }
    const std::uint32_t headersSize = file.u32(optional + 60);
    const std::uint32_t directoryCount = file.u32(optional + directories - 4);
    std::uint32_t importRva = 0;
    if (directoryCount >= 2) {
        const std::size_t entry = optional + directories + 8;
        if (optionalSize < directories + 16 || !file.holds(entry, 8)) {
            return fail(result, Problem::optionalHeaderCut);
        }
        if (file.u32(entry + 4) != 0) importRva = file.u32(entry);
    }

    if (sectionCount > kMaxSections) return fail(result, Problem::tooManySections);
    const std::size_t table = optional + optionalSize;
    if (!file.holds(table, sectionCount * kSectionHeader)) {
        return fail(result, Problem::sectionTableOutside);
    }
    std::vector<Section> sections(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t s = table + i * kSectionHeader;
        sections[i] = {file.u32(s + 12), file.u32(s + 8), file.u32(s + 20), file.u32(s + 16)};
    }

    // The loader walks the descriptors until one has no name or no address
    // table; a table that never ends is damage, not a component.
    for (std::uint32_t i = 0; importRva != 0; ++i) {
        if (i == kMaxDescriptors) return fail(result, Problem::importTableEndless);
        const std::uint64_t rva = std::uint64_t{importRva} + std::uint64_t{i} * kDescriptor;
        const Span descriptor =
            rva > UINT32_MAX ? Span{} : mapRva(file, headersSize, sections, static_cast<std::uint32_t>(rva));
        if (descriptor.size < kDescriptor) return fail(result, Problem::importTableOutside);
        const std::uint32_t nameRva = file.u32(descriptor.offset + 12);
        if (nameRva == 0 || file.u32(descriptor.offset + 16) == 0) break;
        const Span name = mapRva(file, headersSize, sections, nameRva);
        const auto* first = reinterpret_cast<const char*>(file.at(name.offset));
        const auto* last = first + std::min(name.size, kMaxName);
        const auto* end = std::find(first, last, '\0');
        if (end == last) return fail(result, Problem::importNameUnterminated);
        if (holdsAPath(std::string_view(first, static_cast<std::size_t>(end - first)))) {
            return fail(result, Problem::importNameNotADll);
        }
        result.image.imports.emplace_back(first, end);
    }
    return result;
}

}  // namespace trevanil::pe

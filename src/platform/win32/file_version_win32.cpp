#include "platform/win32/file_version_win32.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

// How many of `stated` bytes from `at` the mapped image holds: the
// resource's size is the file's word, and a damaged file may state more than
// it has. Counted region by region while they belong to the mapping and can
// be read.
std::size_t mappedBytes(const void* at, std::size_t stated) noexcept {
    const auto start = reinterpret_cast<std::uintptr_t>(at);
    const std::uintptr_t end = stated > UINTPTR_MAX - start ? UINTPTR_MAX : start + stated;
    MEMORY_BASIC_INFORMATION region{};
    if (::VirtualQuery(at, &region, sizeof region) == 0) return 0;
    const void* const allocation = region.AllocationBase;
    std::uintptr_t next = start;
    while (next < end && ::VirtualQuery(reinterpret_cast<const void*>(next), &region, sizeof region) != 0 &&
           region.AllocationBase == allocation && region.State == MEM_COMMIT &&
           (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0) {
        next = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    }
    return next < end ? next - start : stated;
}

}  // namespace

std::optional<FileVersion> readFileVersion(const std::wstring& path) noexcept {
    try {
        // A data load wants a full path: a relative one would be searched for.
        // Only a file on a disk is mapped, never a pipe or a device.
        const std::wstring full = fullPath(path);
        const unique_hfile disk = full.empty() ? unique_hfile() : openDiskFile(full);
        if (!disk) return std::nullopt;
        const unique_hmodule image(::LoadLibraryExW(full.c_str(), nullptr,
                                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!image) return std::nullopt;
        // The version resource has the number 1 (VS_VERSION_INFO).
        const HRSRC resource = ::FindResourceW(image.get(), MAKEINTRESOURCEW(1), RT_VERSION);
        const HGLOBAL loaded = resource != nullptr ? ::LoadResource(image.get(), resource) : nullptr;
        const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
        if (bytes == nullptr) return std::nullopt;
        return versionFromResource(static_cast<const unsigned char*>(bytes),
                                   mappedBytes(bytes, ::SizeofResource(image.get(), resource)));
    } catch (...) {  // no memory for the path
        return std::nullopt;
    }
}

std::optional<FileVersion> Win32VersionReader::versionOf(const std::string& path) const {
    return readFileVersion(toWide(path));
}

}  // namespace trevanil::win32

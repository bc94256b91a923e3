#include "platform/win32/file_version_win32.h"

#include <windows.h>

#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

std::optional<FileVersion> readFileVersion(const std::wstring& path) noexcept {
    try {
        // A data load wants a full path: a relative one would be searched for.
        const std::wstring full = fullPath(path);
        if (full.empty()) return std::nullopt;
        const unique_hmodule image(::LoadLibraryExW(full.c_str(), nullptr,
                                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!image) return std::nullopt;
        // The version resource has the number 1 (VS_VERSION_INFO).
        const HRSRC resource = ::FindResourceW(image.get(), MAKEINTRESOURCEW(1), RT_VERSION);
        const HGLOBAL loaded = resource != nullptr ? ::LoadResource(image.get(), resource) : nullptr;
        const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
        if (bytes == nullptr) return std::nullopt;
        return versionFromResource(static_cast<const unsigned char*>(bytes), ::SizeofResource(image.get(), resource));
    } catch (...) {  // no memory for the path
        return std::nullopt;
    }
}

std::optional<FileVersion> Win32VersionReader::versionOf(const std::string& path) const {
    return readFileVersion(toWide(path));
}

}  // namespace trevanil::win32

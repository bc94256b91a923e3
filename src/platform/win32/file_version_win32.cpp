#include "platform/win32/file_version_win32.h"

#include <windows.h>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

// A data load wants a full path: a relative one would be searched for.
std::wstring fullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    return n == 0 || n >= MAX_PATH * 4 ? std::wstring() : std::wstring(full, n);
}

}  // namespace

std::optional<FileVersion> readFileVersion(const std::wstring& path) noexcept {
    try {
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

}  // namespace trevanil::win32

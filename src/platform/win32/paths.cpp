#include "platform/win32/paths.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

// The system's answer in a buffer of the size it asks for first.
template <class Char, class Get>
std::basic_string<Char> fullPathOf(const std::basic_string<Char>& path, Get get) {
    const DWORD size = get(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::basic_string<Char> full(size, Char{});
    const DWORD n = get(path.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return {};
    full.resize(n);
    return full;
}

}  // namespace

std::wstring fullPath(const std::wstring& path) { return fullPathOf(path, &::GetFullPathNameW); }

std::string fullAnsiPath(const std::string& ansiPath) { return fullPathOf(ansiPath, &::GetFullPathNameA); }

std::wstring systemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(folder, n);
}

std::wstring redirectedPath(const std::wstring& path) {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return path;
    wchar_t windows[MAX_PATH];
    wchar_t redirected[MAX_PATH];
    const UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const UINT m = ::GetSystemWow64DirectoryW(redirected, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || m == 0 || m >= MAX_PATH) return path;
    const std::wstring system32 = std::wstring(windows, n) + L"\\System32\\";
    const std::wstring_view head = std::wstring_view(path).substr(0, system32.size());
    if (path.size() <= system32.size() || !equalIgnoringCase(head, system32)) return path;
    return std::wstring(redirected, m) + L"\\" + path.substr(system32.size());
}

bool isPlainFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

unique_hfile openDiskFile(const std::wstring& path) {
    unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS,
                                    nullptr));
    if (file && ::GetFileType(file.get()) != FILE_TYPE_DISK) file.reset();
    return file;
}

}  // namespace trevanil::win32

#include "platform/win32/class_registry.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "platform/path_kind.h"
#include "platform/win32/advapi32.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

// A path as the registry may write it, in quotes.
std::wstring unquoted(std::wstring path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    return path;
}

// A local path's long form, its short (8.3) names made long, which reads each
// folder on the way; any other path as it is: nothing on a server or a
// device is touched.
std::wstring longForm(const std::wstring& path) {
    if (pathKind(toUtf8(path)) != PathKind::local) return path;
    wchar_t longPath[MAX_PATH * 4];
    const DWORD n = ::GetLongPathNameW(path.c_str(), longPath, MAX_PATH * 4);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(longPath, n) : path;
}

std::wstring fileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// Whether a class's server is one of the files (each in its long form).
// The names are compared first; only a server with the file's own name or a
// short one (~) is read for its long form.
bool servesOneOf(const std::wstring& server, const std::vector<std::wstring>& files) {
    const std::wstring name = fileName(server);
    bool maybe = name.find(L'~') != std::wstring::npos;
    for (const std::wstring& file : files) {
        if (equalIgnoringCase(server, file)) return true;
        maybe = maybe || equalIgnoringCase(name, fileName(file));
    }
    if (!maybe) return false;
    const std::wstring full = longForm(server);
    return std::any_of(files.begin(), files.end(),
                       [&](const std::wstring& file) { return equalIgnoringCase(full, file); });
}

void closeKey(HKEY key) noexcept {
    const auto close = advapi32().regCloseKey;
    if (close != nullptr) close(key);
}
using unique_hkey = unique_any<policy::simple<HKEY, nullptr, closeKey>>;

constexpr const wchar_t* kOwnPlatforms[] = {sizeof(void*) == 8 ? L"win64" : L"win32", L"win32"};

}  // namespace

std::optional<std::wstring> ClassRegistry::text(HKEY root, const std::wstring& subkey) const {
    const auto getValue = advapi32().regGetValue;
    if (getValue == nullptr) return std::nullopt;
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        const LSTATUS status = getValue(root, subkey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size);
        if (status == ERROR_MORE_DATA && size < (1u << 20)) {
            value.resize(size / sizeof(wchar_t) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        value.resize(std::min<std::size_t>(size / sizeof(wchar_t), value.size()));
        value.resize(value.find(L'\0') == std::wstring::npos ? value.size() : value.find(L'\0'));
        return value;
    }
}

std::optional<std::string> ClassRegistry::inprocServer(const std::string& clsid) const {
    const auto server = text(HKEY_CLASSES_ROOT, L"CLSID\\" + toWide(clsid) + L"\\InprocServer32");
    if (!server || server->empty()) return std::nullopt;
    return toUtf8(longForm(unquoted(*server)));
}

std::optional<std::string> ClassRegistry::typeLibraryFile(const TypeLibrary& library) const {
    wchar_t version[24];
    std::swprintf(version, 24, L"%x.%x", library.major, library.minor);
    const std::wstring key = L"TypeLib\\" + toWide(library.libid) + L"\\" + version + L"\\";
    for (const std::uint32_t lcid : {library.lcid, 0u}) {
        wchar_t locale[16];
        std::swprintf(locale, 16, L"%x\\", static_cast<unsigned>(lcid));
        for (const wchar_t* platform : kOwnPlatforms) {
            const auto file = text(HKEY_CLASSES_ROOT, key + locale + platform);
            if (file && !file->empty()) return toUtf8(longForm(unquoted(*file)));
        }
    }
    return std::nullopt;
}

std::vector<DeclaredClass> ClassRegistry::classesServedBy(const std::vector<std::string>& paths) const {
    std::vector<DeclaredClass> classes;
    HKEY opened = nullptr;
    const Advapi32& advapi = advapi32();
    if (advapi.regOpenKeyEx == nullptr || advapi.regEnumKeyEx == nullptr ||
        advapi.regOpenKeyEx(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return classes;
    }
    const unique_hkey key(opened);
    const HKEY root = key.get();
    std::vector<std::wstring> files;
    for (const std::string& path : paths) files.push_back(longForm(fullPath(toWide(path))));
    wchar_t clsid[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        const LSTATUS status = advapi.regEnumKeyEx(root, i, clsid, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        const auto server = text(root, std::wstring(clsid, length) + L"\\InprocServer32");
        if (!server || server->empty() || !servesOneOf(unquoted(*server), files)) continue;
        const auto name = text(root, std::wstring(clsid, length));
        classes.push_back({name ? toUtf8(*name) : std::string(), toUtf8(std::wstring(clsid, length))});
    }
    return classes;
}

}  // namespace trevanil::win32

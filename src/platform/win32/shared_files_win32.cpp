#include "platform/win32/shared_files_win32.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/error.h"
#include "platform/win32/advapi32.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

std::wstring keyOf(SharedKey key) { return toWide(key == SharedKey::counts ? kSharedDllsKey : kCountedKey); }

// No count is a text this long: a longer value is read as one of another kind.
constexpr DWORD kMostBytes = 4096;

}  // namespace

bool Win32SharedFiles::fileExists(const std::string& path) const { return isPlainFile(toWide(path)); }

RegistryValue Win32SharedFiles::value(SharedKey key, const std::string& name) const {
    const auto getValue = advapi32().regGetValue;
    if (getValue == nullptr) throw errorFromWin32(ERROR_PROC_NOT_FOUND);
    std::vector<wchar_t> data(kMostBytes / sizeof(wchar_t) + 1);
    DWORD type = REG_NONE;
    DWORD size = kMostBytes;
    const LSTATUS status = getValue(HKEY_LOCAL_MACHINE, keyOf(key).c_str(), toWide(name).c_str(),
                                     RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size);
    RegistryValue value;
    if (status == ERROR_FILE_NOT_FOUND) return value;
    value.type = RegistryValue::Type::other;
    if (status == ERROR_MORE_DATA) return value;
    if (status != ERROR_SUCCESS) throw errorFromWin32(static_cast<std::uint32_t>(status));
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        value.type = RegistryValue::Type::number;
        std::memcpy(&value.number, data.data(), sizeof(DWORD));
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        value.type = RegistryValue::Type::text;
        std::wstring text(data.data(), size / sizeof(wchar_t));
        value.text = toUtf8(text.substr(0, text.find(L'\0')));
    }
    return value;
}

void Win32SharedFiles::setNumber(SharedKey key, const std::string& name, std::uint32_t number) {
    const auto setValue = advapi32().regSetKeyValue;
    if (setValue == nullptr) throw errorFromWin32(ERROR_PROC_NOT_FOUND);
    const DWORD data = number;
    const LSTATUS status =
        setValue(HKEY_LOCAL_MACHINE, keyOf(key).c_str(), toWide(name).c_str(), REG_DWORD, &data, sizeof data);
    if (status != ERROR_SUCCESS) throw errorFromWin32(static_cast<std::uint32_t>(status));
}

void Win32SharedFiles::removeValue(SharedKey key, const std::string& name) {
    const auto deleteValue = advapi32().regDeleteKeyValue;
    if (deleteValue == nullptr) throw errorFromWin32(ERROR_PROC_NOT_FOUND);
    const LSTATUS status = deleteValue(HKEY_LOCAL_MACHINE, keyOf(key).c_str(), toWide(name).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw errorFromWin32(static_cast<std::uint32_t>(status));
    }
}

void Win32SharedFiles::removeFile(const std::string& path) {
    if (!::DeleteFileW(toWide(path).c_str())) throw errorFromWin32(::GetLastError());
}

}  // namespace trevanil::win32

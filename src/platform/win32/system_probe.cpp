#include "platform/win32/system_probe.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_library.h"
#include "platform/win32/system_text.h"

namespace trevanil::win32 {

namespace {

inline void unmapView(const void* view) noexcept { ::UnmapViewOfFile(view); }
using unique_view = unique_any<policy::simple<const void*, nullptr, unmapView>>;

// A file mapped read-only as data: its pages are read as the image reader
// touches them, however large the file.
class MappedFile final : public FileBytes {
public:
    MappedFile(unique_view view, std::size_t size) noexcept : view_(std::move(view)), size_(size) {}
    const std::uint8_t* data() const override { return static_cast<const std::uint8_t*>(view_.get()); }
    std::size_t size() const override { return size_; }

private:
    unique_view view_;
    std::size_t size_;
};

// An empty file cannot be mapped; its bytes are none.
class NoBytes final : public FileBytes {
public:
    const std::uint8_t* data() const override { return nullptr; }
    std::size_t size() const override { return 0; }
};

// A component's header and import table lie near its start; a larger file
// is mapped this far, so that it always fits the address space.
constexpr LONGLONG kMostBytes = 64 << 20;

constexpr const wchar_t* kKnownDlls = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs";

}  // namespace

SystemProbe::SystemProbe() noexcept : advapi32_(loadSystemLibrary(L"advapi32.dll")) {
    if (advapi32_) {
        getValue_ = reinterpret_cast<RegGetValueFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(advapi32_.get(), "RegGetValueW")));
    }
}

bool SystemProbe::fileExists(const std::string& path) const { return isPlainFile(toWide(path)); }

std::unique_ptr<FileBytes> SystemProbe::bytes(const std::string& path) const {
    const unique_hfile file(::CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) return nullptr;
    if (size.QuadPart == 0) return std::make_unique<NoBytes>();
    const auto mapped = static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, kMostBytes));
    const unique_handle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return nullptr;
    unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, mapped));
    if (!view) return nullptr;
    return std::make_unique<MappedFile>(std::move(view), mapped);
}

std::string SystemProbe::systemFolder() const { return toUtf8(win32::systemFolder()); }

// A known DLL is listed under its base name with the file name as data.
bool SystemProbe::suppliedBySystem(const std::string& dll) const {
    const std::string lower = lowerAscii(dll);
    if (lower.rfind("api-ms-", 0) == 0 || lower.rfind("ext-ms-", 0) == 0) return true;
    const std::size_t dot = lower.rfind('.');
    if (getValue_ == nullptr || dot == std::string::npos) return false;
    wchar_t data[MAX_PATH];
    DWORD size = sizeof data;
    const LSTATUS status = getValue_(HKEY_LOCAL_MACHINE, kKnownDlls, toWide(lower.substr(0, dot)).c_str(),
                                     RRF_RT_REG_SZ, nullptr, data, &size);
    return status == ERROR_SUCCESS && lowerAscii(toUtf8(data)) == lower;
}

std::string SystemProbe::errorText(std::uint32_t code, const std::string& subject) const {
    return systemText(code, subject);
}

std::string SystemProbe::statusText(std::uint32_t status) const { return systemText(status); }

}  // namespace trevanil::win32

#include "platform/win32/system_probe.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "platform/win32/advapi32.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_text.h"

namespace trevanil::win32 {

namespace {

// The bytes read into memory: a read that fails, even half way (a file on
// a disk that stops answering), is a file that cannot be read, never a fault
// in the middle of the image reader, as a mapped view's page would be.
class ReadBytes final : public FileBytes {
public:
    explicit ReadBytes(std::vector<std::uint8_t> bytes) noexcept : bytes_(std::move(bytes)) {}
    const std::uint8_t* data() const override { return bytes_.data(); }
    std::size_t size() const override { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
};

// A component's header and import table lie near its start; of a larger
// file this much is read.
constexpr LONGLONG kMostBytes = 64 << 20;
constexpr DWORD kChunk = 1 << 20;

constexpr const wchar_t* kKnownDlls = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs";

}  // namespace

bool SystemProbe::fileExists(const std::string& path) const { return isPlainFile(toWide(path)); }

std::unique_ptr<FileBytes> SystemProbe::bytes(const std::string& path) const {
    const unique_hfile file = openDiskFile(toWide(path));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) return nullptr;
    try {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, kMostBytes)));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
            DWORD read = 0;
            if (!::ReadFile(file.get(), bytes.data() + done, wanted, &read, nullptr)) return nullptr;
            if (read == 0) break;  // the file got shorter meanwhile: what it still holds
            done += read;
        }
        bytes.resize(done);
        return std::make_unique<ReadBytes>(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::string SystemProbe::reachedPath(const std::string& path) const {
    return toUtf8(redirectedPath(toWide(path)));
}

std::string SystemProbe::systemFolder() const { return toUtf8(win32::systemFolder()); }

// A known DLL is listed under its base name with the file name as data.
bool SystemProbe::suppliedBySystem(const std::string& dll) const {
    const std::string lower = lowerAscii(dll);
    if (lower.rfind("api-ms-", 0) == 0 || lower.rfind("ext-ms-", 0) == 0) return true;
    const std::size_t dot = lower.rfind('.');
    const auto getValue = advapi32().regGetValue;
    if (getValue == nullptr || dot == std::string::npos) return false;
    wchar_t data[MAX_PATH];
    DWORD size = sizeof data;
    const LSTATUS status = getValue(HKEY_LOCAL_MACHINE, kKnownDlls, toWide(lower.substr(0, dot)).c_str(),
                                    RRF_RT_REG_SZ, nullptr, data, &size);
    return status == ERROR_SUCCESS && lowerAscii(toUtf8(data)) == lower;
}

std::string SystemProbe::errorText(std::uint32_t code, const std::string& subject) const {
    return systemText(code, subject);
}

std::string SystemProbe::statusText(std::uint32_t status) const { return systemText(status); }

}  // namespace trevanil::win32

#include "platform/win32/diagnosis.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_version.h"
#include "platform/pe_image.h"
#include "platform/text.h"
#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_library.h"
#include "platform/win32/system_text.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

// A component's header and import table lie near its start; a file this
// large is read only this far.
constexpr DWORD kMostBytes = 64u << 20;

constexpr unsigned kProgramBits = sizeof(void*) * 8;
constexpr std::uint16_t kProgramMachine = kProgramBits == 64 ? pe::kMachineAmd64 : pe::kMachineI386;

std::wstring folderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file as data, read with ReadFile into a buffer of bounded size.
pe::ReadResult readImageFile(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    const unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (file && ::GetFileSizeEx(file.get(), &size)) {
        bytes.resize(static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, kMostBytes)));
        DWORD total = 0;
        for (DWORD read = 1; total < bytes.size() && read > 0; total += read) {
            if (!::ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size()) - total, &read,
                            nullptr)) {
                break;
            }
        }
        bytes.resize(total);
    }
    return pe::readImage(bytes.data(), bytes.size());
}

// Where the loader finds a DLL that a component imports: its folder, then
// the system folder; API sets and known DLLs the system supplies itself.
class DllSearch {
public:
    explicit DllSearch(std::wstring componentFolder) : folders_{std::move(componentFolder), systemFolder()} {
        if (advapi32_) {
            getValue_ = reinterpret_cast<RegGetValueFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(advapi32_.get(), "RegGetValueW")));
        }
    }

    // The file the name leads to; empty when the system supplies it itself,
    // nothing when it is nowhere.
    std::optional<std::wstring> find(const std::string& name) const {
        const std::string lower = lowerAscii(name);
        if (lower.rfind("api-ms-", 0) == 0 || lower.rfind("ext-ms-", 0) == 0 || isKnown(lower)) {
            return std::wstring();
        }
        for (const std::wstring& folder : folders_) {
            const std::wstring path = folder + L"\\" + toWide(name);
            if (!folder.empty() && isPlainFile(path)) return path;
        }
        return std::nullopt;
    }

private:
    using RegGetValueFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR, DWORD, LPDWORD, PVOID, LPDWORD);

    // A known DLL is listed under its base name with the file name as data.
    bool isKnown(const std::string& lowerName) const {
        const std::size_t dot = lowerName.rfind('.');
        if (getValue_ == nullptr || dot == std::string::npos) return false;
        wchar_t data[MAX_PATH];
        DWORD size = sizeof data;
        const LSTATUS status = getValue_(HKEY_LOCAL_MACHINE, kKnownDlls, toWide(lowerName.substr(0, dot)).c_str(),
                                         RRF_RT_REG_SZ, nullptr, data, &size);
        return status == ERROR_SUCCESS && lowerAscii(toUtf8(data)) == lowerName;
    }

    static constexpr const wchar_t* kKnownDlls = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs";

    std::wstring folders_[2];
    unique_hmodule advapi32_ = loadSystemLibrary(L"advapi32.dll");  // not among the program's imports
    RegGetValueFn getValue_ = nullptr;
};

// The first DLL the component imports that is nowhere to be found, or else
// the first that one of its dependencies imports and is nowhere.
std::optional<Cause> missingDll(const std::wstring& component, const pe::Image& image) {
    const DllSearch search(folderOf(component));
    std::vector<std::pair<std::string, std::wstring>> present;
    for (const std::string& name : image.imports) {
        const auto found = search.find(name);
        if (!found) return Cause{Cause::Kind::missingDll, {}, name, {}, 0, {}};
        if (!found->empty()) present.emplace_back(name, *found);
    }
    for (const auto& [dependency, path] : present) {
        const pe::ReadResult below = readImageFile(path);
        for (const std::string& name : below.image.imports) {
            if (!search.find(name)) return Cause{Cause::Kind::missingDllBelow, {}, name, dependency, 0, {}};
        }
    }
    return std::nullopt;
}

Cause loadCause(const LoadFailure& failure) {
    const std::wstring path = toWide(failure.path);
    if (!isPlainFile(path)) return {Cause::Kind::notThere, {}, failure.path, {}, 0, {}};
    const pe::ReadResult read = readImageFile(path);
    const unsigned bits = read.image.pe32plus ? 64 : 32;
    if (read.ok && read.image.machine != kProgramMachine && bits != kProgramBits) {
        return {Cause::Kind::wrongBits, {}, std::to_string(bits), std::to_string(kProgramBits), 0, {}};
    }
    if (failure.code == ERROR_DLL_INIT_FAILED) return {Cause::Kind::startupRefused, {}, {}, {}, 0, {}};
    if (read.ok) {
        if (auto missing = missingDll(path, read.image)) return *missing;
    }
    return {Cause::Kind::loadFailed, {}, {}, read.ok ? std::string() : read.problem, failure.code,
            systemText(failure.code, fileName(failure.path))};
}

}  // namespace

// Every copy error comes from the system; a failure without its code keeps
// the runtime's number and text.
Cause diagnose(const CopyNotDone& failure) {
    if (failure.outcome.keptNewer) {
        return {Cause::Kind::keptNewer, fileName(failure.source), versionText(failure.outcome.destination),
                versionText(failure.outcome.source), 0, {}};
    }
    const std::uint32_t code = failure.error.systemCode();
    return {Cause::Kind::copyFailed, fileName(failure.source), failure.destination, {},
            code != 0 ? code : static_cast<std::uint32_t>(failure.error.number()),
            code != 0 ? systemText(code) : failure.error.description()};
}

Cause diagnose(const LoadFailure& failure) {
    Cause cause;
    switch (failure.step) {
    case LoadFailure::Step::load: cause = loadCause(failure); break;
    case LoadFailure::Step::entryPoint: cause = {Cause::Kind::noEntryPoint, {}, failure.entry, {}, 0, {}}; break;
    case LoadFailure::Step::call:
        cause = {Cause::Kind::entryFailed, {}, failure.entry, {}, failure.code, systemText(failure.code)};
        break;
    }
    cause.file = fileName(failure.path);
    return cause;
}

}  // namespace trevanil::win32

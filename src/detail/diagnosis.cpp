#include "detail/diagnosis.h"

#include <utility>
#include <vector>

#include "platform/path_kind.h"
#include "platform/text.h"

namespace trevanil {

namespace {

// The loader's number for a DllMain that answered FALSE.
constexpr std::uint32_t kDllInitFailed = 1114;  // ERROR_DLL_INIT_FAILED

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Nothing when the file cannot be read (it went away, or is locked).
std::optional<pe::ReadResult> readImage(const Probe& probe, const std::string& path) {
    const auto bytes = probe.bytes(path);
    if (!bytes) return std::nullopt;
    return pe::readImage(bytes->data(), bytes->size());
}

// A path that depends on the current folder is never looked for: the
// loader refused it as it stands.
Cause loadCause(const Probe& probe, const RegistrationNotDone& failure, unsigned programBits) {
    const std::string name = fileNameOf(failure.path);
    if (isAnchored(failure.path)) {
        if (!probe.fileExists(failure.path)) return Cause{name, causes::NotThere{probe.reachedPath(failure.path)}};
        if (auto cause = imageCause(probe, failure.path, programBits, failure.code)) return *std::move(cause);
    }
    return Cause{name, causes::LoadFailed{pe::Problem::none, failure.code, probe.errorText(failure.code, name)}};
}

}  // namespace

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<Cause> imageCause(const Probe& probe, const std::string& path, unsigned programBits,
                                std::optional<std::uint32_t> loadError) {
    const std::string name = fileNameOf(path);
    const auto image = readImage(probe, path);
    if (!image) return Cause{name, causes::Unknown{}};
    const pe::ReadResult& read = *image;
    const unsigned bits = read.image.pe32plus ? 64 : 32;
    const std::uint16_t programMachine = programBits == 64 ? pe::kMachineAmd64 : pe::kMachineI386;
    if (read.ok() && read.image.machine != programMachine && bits != programBits) {
        return Cause{name, causes::OtherBitness{bits, programBits}};
    }
    if (loadError == kDllInitFailed) return Cause{name, causes::StartupRefused{}};
    if (read.ok()) return missingDll(probe, path, read.image);
    return Cause{name, causes::LoadFailed{read.problem, loadError, loadError ? probe.errorText(*loadError, name) : ""}};
}

std::optional<std::string> findDll(const Probe& probe, const std::string& folder, const std::string& dll) {
    if (probe.suppliedBySystem(dll)) return std::string();
    for (const std::string& place : {folder, probe.systemFolder()}) {
        if (place.empty()) continue;
        std::string path = place + "\\" + dll;
        if (probe.fileExists(path)) return path;
    }
    return std::nullopt;
}

std::optional<Cause> missingDll(const Probe& probe, const std::string& componentPath, const pe::Image& image) {
    const std::string folder = folderOf(componentPath);
    const std::string name = fileNameOf(componentPath);
    std::vector<std::pair<std::string, std::string>> present;
    for (const std::string& dll : image.imports) {
        auto found = findDll(probe, folder, dll);
        if (!found) return Cause{name, causes::MissingDll{dll}};
        if (!found->empty()) present.emplace_back(dll, std::move(*found));
    }
    // A dependency's own DLLs are searched for as the loader does for the
    // component: beside the component, then in the system folder. One that
    // cannot be read says nothing.
    for (const auto& [dependency, path] : present) {
        const auto below = readImage(probe, path);
        if (!below) continue;
        for (const std::string& dll : below->image.imports) {
            if (!findDll(probe, folder, dll)) return Cause{name, causes::MissingDllBelow{dependency, dll}};
        }
    }
    return std::nullopt;
}

// A copy refused because the file to copy is missing names that file; any
// other refusal names the destination with the system's number and text.
Cause diagnose(const Probe& probe, const CopyNotDone& failure) {
    std::string name = fileNameOf(failure.source);
    if (!probe.fileExists(failure.source)) return Cause{std::move(name), causes::SourceMissing{failure.source}};
    const std::uint32_t code = failure.error.systemCode();
    std::string destination = probe.reachedPath(failure.destination);
    if (code == 0) {
        return Cause{std::move(name), causes::CopyFailed{std::move(destination), static_cast<std::uint32_t>(failure.error.number()), failure.error.description()}};
    }
    return Cause{std::move(name), causes::CopyFailed{std::move(destination), code, probe.errorText(code)}};
}

// An entry point's status is an HRESULT: an error has its high bit set, and
// any other value but 0 is a success code that registration still counts
// as a failure.
Cause diagnose(const Probe& probe, const RegistrationNotDone& failure, unsigned programBits) {
    using Step = RegistrationNotDone::Step;
    std::string name = fileNameOf(failure.path);
    switch (failure.step) {
    case Step::load: break;
    case Step::entryPoint: return Cause{std::move(name), causes::NoEntryPoint{failure.entry}};
    case Step::call:
        if ((failure.code & 0x80000000u) == 0) return Cause{std::move(name), causes::EntryNotZero{failure.entry, failure.code}};
        return Cause{std::move(name), causes::EntryFailed{failure.entry, failure.code, probe.statusText(failure.code)}};
    }
    return loadCause(probe, failure, programBits);
}

}  // namespace trevanil

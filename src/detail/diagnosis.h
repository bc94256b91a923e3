// Which cause a failure has, decided from what the failure carries and
// what the probe answers. The order of the questions is the order of the
// causes: a file that is not there is not asked for its bitness, a DLL
// missing from the component itself comes before one missing further down.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "detail/cause.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/pe_image.h"
#include "detail/probe.h"

namespace trevanil {

inline constexpr unsigned kProgramBits = sizeof(void*) * 8;

// A copy that failed with `error`.
struct CopyNotDone {
    std::string source;
    std::string destination;
    PlatformError error;
};

// A registration that did not happen, with what the loader said.
struct RegistrationNotDone {
    enum class Step { load, entryPoint, call };
    std::string path;  // as given to the loader
    Step step = Step::load;
    std::string entry;       // the entry point looked up or called
    std::uint32_t code = 0;  // the load's system error, or the status the entry point returned
};

Cause diagnose(const Probe& probe, const CopyNotDone& failure);
Cause diagnose(const Probe& probe, const RegistrationNotDone& failure, unsigned programBits = kProgramBits);

// What keeps the file at `path` from loading, read from the file itself (it
// is there, and its path anchored), in the diagnosis's order: it cannot be
// read, it is of the other bitness, its start-up code refused (the loader's
// word), a DLL it needs is nowhere, its image is damaged. `loadError`: the
// error of a load that failed; none where no load was tried (the check).
std::optional<Cause> imageCause(const Probe& probe, const std::string& path, unsigned programBits,
                                std::optional<std::uint32_t> loadError = std::nullopt);

// Where the loader finds a DLL that a component in `folder` imports: the
// file; empty when the system supplies it itself; nothing when it is
// nowhere. A name that holds a path is never asked for (the image reader
// refuses it).
std::optional<std::string> findDll(const Probe& probe, const std::string& folder, const std::string& dll);

// The first DLL the component imports that is nowhere, or else the first
// that one of those DLLs imports and is nowhere; nothing when all are found.
std::optional<Cause> missingDll(const Probe& probe, const std::string& componentPath, const pe::Image& image);

// The file name of a path ("C:\a\b.ocx" gives "b.ocx").
std::string fileNameOf(const std::string& path);

}  // namespace trevanil

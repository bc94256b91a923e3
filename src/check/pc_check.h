// The check of a PC (/C): a second, read-only pass over the component list.
// Nothing is copied or registered; per component, in list order, the file in
// System32, the classes and the type library the component declares, and
// what the registry says of each, as the business application will find
// them. Which cause a finding is, and in which order, is decided here from
// what the probes answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "detail/cause.h"
#include "check/check_probe.h"
#include "detail/diagnosis.h"
#include "platform/file_version.h"
#include "detail/probe.h"
#include "install/windows_folder.h"
#include "platform/runtime.h"

namespace trevanil {


// One component's finding: right when it was read and no cause was found.
struct ComponentCheck {
    std::string name;
    std::optional<FileVersion> version;  // the System32 file's
    std::vector<Cause> causes;           // in the order they were found
    bool read = true;  // false: no Windows folder to read in (the report says why)
    bool right() const { return read && causes.empty(); }
};

// `folders`: where the pass copies and registers. Each path a line names
// is named as the system reaches it (SysWOW64 for System32, for a 32-bit
// program on 64-bit Windows).
ComponentCheck checkComponent(const Probe& files, const CheckProbe& pc, const WindowsFolders& folders,
                              const std::string& name, unsigned programBits = kProgramBits);

// The report: one line per component, then each cause of those not right.
std::vector<std::string> reportLines(const std::vector<ComponentCheck>& checks);

enum class CheckResult {
    allRight,
    notAllRight,
    brokenOff,  // the report could not be written; the error was reported
};

// The whole check: the report written to the runtime's log path, then
// shown as the pass shows its log. Without a Windows folder nothing is
// read and every component is not right. Every error ends in the
// runtime's message box, none leaves it.
CheckResult checkPc(Runtime& runtime, const WindowsFolders& folders, const std::vector<std::string>& names,
                    const Probe& files, const CheckProbe& pc);

}  // namespace trevanil

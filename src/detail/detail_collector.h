// Everything the detailed log reports, heard while the pass runs: copies
// not made, files kept, registrations not made, registrations made from
// System32. Built only when the detailed log is asked for: without it
// nothing is recorded. Each event is diagnosed when it is heard (the file
// is as the failure left it); a diagnosis that fails gives the line that
// says so and never reaches the pass.
#pragma once

#include <string>
#include <vector>

#include "detail/cause.h"
#include "detail/diagnosis.h"
#include "detail/probe.h"

namespace trevanil {

class DetailCollector {
public:
    explicit DetailCollector(const Probe& probe, unsigned programBits = kProgramBits) noexcept
        : probe_(probe), programBits_(programBits) {}

    void copyNotDone(const CopyNotDone& failure) noexcept;
    void registrationNotDone(const RegistrationNotDone& failure) noexcept;
    // The registration loaded `path` (the System32 copy) instead of the one
    // in System, whose version is older; the line names it as the system
    // reached it.
    void registeredFromSystem32(const std::string& name, const std::string& path, FileVersion systemVersion,
                                FileVersion system32Version) noexcept;
    // The registration loaded the copy in System, older than the one this
    // run copied into System32 (never loaded: it came from the program's folder).
    void registeredOlderThanCopy(const std::string& name, FileVersion systemVersion,
                                 FileVersion copiedVersion) noexcept;
    // A cause decided elsewhere.
    void add(Cause cause) noexcept;

    // The detail lines, in the order heard (the copy phase comes first),
    // each cleaned of control characters.
    std::vector<std::string> lines() const;

private:
    const Probe& probe_;
    unsigned programBits_;
    std::vector<Cause> causes_;
};

}  // namespace trevanil

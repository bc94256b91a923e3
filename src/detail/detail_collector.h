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
    // A cause decided elsewhere (a newer file kept, the file a
    // registration loaded instead, a count not written); a file in System32
    // is named as the system reached it, an error number without a text
    // gets the system's.
    void add(const Cause& cause) noexcept;

    // The detail lines, in the order heard (the copy phase comes first),
    // each cleaned of control characters.
    std::vector<std::string> lines() const;

private:
    const Probe& probe_;
    unsigned programBits_;
    std::vector<Cause> causes_;
};

}  // namespace trevanil

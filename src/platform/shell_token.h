// The desktop shell's token, as the system describes it, and whether the
// viewer may start with it: the viewer runs with the signed-in user's
// rights, never with more.
#pragma once

#include <optional>
#include <string>

namespace trevanil {

struct ShellToken {
    std::optional<bool> elevated;  // unknown when the system does not say
    std::string user;              // its user's SID ("S-1-5-21-…"); empty when unknown
};

// Only a token known to be neither elevated nor the system account's: a
// shell that runs as either (a replaced shell, a service's desktop) would
// give whoever sits at the keyboard an editor with those rights.
bool viewerMayUse(const ShellToken& token);

}  // namespace trevanil

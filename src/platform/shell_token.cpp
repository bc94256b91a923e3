#include "platform/shell_token.h"

namespace trevanil {

namespace {

constexpr char kLocalSystem[] = "S-1-5-18";

}  // namespace

bool viewerMayUse(const ShellToken& token) {
    return token.elevated == false && !token.user.empty() && token.user != kLocalSystem;
}

}  // namespace trevanil

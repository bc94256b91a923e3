#include <gtest/gtest.h>

#include "platform/shell_token.h"

namespace trevanil {
namespace {

// The viewer starts with the shell's token only where that token is known
// to be the signed-in user's own, unelevated.
TEST(ViewerMayUse, OnlyAnUnelevatedTokenOfAUserOtherThanTheSystem) {
    const std::string user = "S-1-5-21-1004336348-1177238915-682003330-1001";
    struct Row {
        ShellToken token;
        bool allowed;
    };
    const Row rows[] = {
        {{false, user}, true},
        {{true, user}, false},                // an administrator's shell, elevated
        {{false, "S-1-5-18"}, false},         // the system account's
        {{true, "S-1-5-18"}, false},
        {{std::nullopt, user}, false},        // elevation unknown
        {{false, ""}, false},                 // user unknown
    };
    for (const Row& row : rows) {
        EXPECT_EQ(viewerMayUse(row.token), row.allowed)
            << row.token.elevated.value_or(-1) << " " << row.token.user;
    }
}

}  // namespace
}  // namespace trevanil

#include <gtest/gtest.h>

#include "platform/shell_token.h"

namespace trevanil {
namespace {

TEST(ViewerMayUse, OnlyAnUnelevatedTokenOfAUserOtherThanTheSystem) {
    const std::string user = "S-1-5-21-1004336348-1177238915-682003330-1001";
    EXPECT_TRUE(viewerMayUse({false, user}));
    EXPECT_FALSE(viewerMayUse({true, user}));             // an administrator's shell, elevated
    EXPECT_FALSE(viewerMayUse({false, "S-1-5-18"}));      // the system account's
    EXPECT_FALSE(viewerMayUse({std::nullopt, user}));     // what the system did not say
    EXPECT_FALSE(viewerMayUse({false, ""}));
}

}  // namespace
}  // namespace trevanil

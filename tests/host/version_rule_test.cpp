// The version rule: only a destination with a higher version than the
// source's stays; a missing or damaged version (none read) never decides.
#include "install/version_rule.h"

#include <gtest/gtest.h>

namespace trevanil {
namespace {

TEST(VersionRule, OnlyAHigherDestinationStays) {
    const std::optional<FileVersion> none, low = fileVersion(0x10000, 9), high = fileVersion(0x10000, 10);
    const struct {
        std::optional<FileVersion> source, destination;
        bool kept;
    } rows[] = {{low, high, true},  {high, low, false},  {low, low, false},
                {none, high, false}, {high, none, false}, {none, none, false}};
    for (const auto& r : rows) EXPECT_EQ(keepsDestination(r.source, r.destination), r.kept);
}

}  // namespace
}  // namespace trevanil

// Versions read from a version resource's bytes: anything but a whole,
// well-formed resource gives no version, never a read past its end.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/file_version.h"

namespace trevanil {
namespace {

// VS_VERSIONINFO as the resource compiler lays it out, for 2.0.1.7.
std::vector<unsigned char> resource() {
    std::vector<unsigned char> r{92, 0, 52, 0, 0, 0};
    for (const char c : "VS_VERSION_INFO") r.insert(r.end(), {static_cast<unsigned char>(c), 0});
    r.insert(r.end(), {0, 0, 0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 0, 0, 2, 0, 7, 0, 1, 0});
    r.resize(92);
    return r;
}

TEST(FileVersion, OnlyAWholeVersionResourceGivesAVersion) {
    std::vector<unsigned char> r = resource();
    const auto version = versionFromResource(r.data(), r.size());
    ASSERT_TRUE(version);
    EXPECT_EQ(versionText(*version), "2.0.1.7");
    for (std::size_t n = 0; n < r.size(); ++n) EXPECT_FALSE(versionFromResource(r.data(), n)) << "cut at " << n;
    // The length past the end, a value too short, another key, another signature.
    for (const auto& [at, byte] : std::vector<std::pair<int, unsigned char>>{{0, 93}, {2, 51}, {8, 'W'}, {40, 0xBC}}) {
        std::vector<unsigned char> damaged = r;
        damaged[at] = byte;
        EXPECT_FALSE(versionFromResource(damaged.data(), damaged.size())) << "byte " << at;
    }
}

}  // namespace
}  // namespace trevanil

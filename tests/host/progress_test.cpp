#include "install/progress.h"

#include <gtest/gtest.h>

namespace trevanil {
namespace {

TEST(Progreso, FiveEntriesMoveTheBarInEighths) {
    const float copia[] = {0.0f, 12.5f, 25.0f, 37.5f, 50.0f};
    const float registro[] = {50.0f, 62.5f, 75.0f, 87.5f, 100.0f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(progressValue(Phase::copy, i, 0, 5), copia[i]) << i;
        EXPECT_EQ(progressValue(Phase::registration, i, 4, 5), registro[i]) << i;
    }
}

TEST(Progreso, OneEntryEndsEachPhaseWithoutDividingByZero) {
    EXPECT_EQ(progressValue(Phase::copy, 0, 0, 1), 50.0f);
    EXPECT_EQ(progressValue(Phase::registration, 0, 0, 1), 100.0f);
}

TEST(Progreso, LongListsDoNotOverflow) {
    // 16385 entries overflowed a 16-bit divisor; the last step still ends at 50 and 100.
    EXPECT_EQ(progressValue(Phase::copy, 16384, 0, 16385), 50.0f);
    EXPECT_EQ(progressValue(Phase::registration, 32766, 32766, 32767), 100.0f);
}

TEST(Progreso, ValueIsTheSinglePrecisionQuotient) {
    EXPECT_EQ(progressValue(Phase::copy, 1, 0, 4), static_cast<float>(100.0 / 6.0));
}

}  // namespace
}  // namespace trevanil

#include "install/progress.h"

#include <gtest/gtest.h>

namespace trevanil {
namespace {

struct ProgressRow {
    const char* name;
    Phase phase;
    std::int32_t index, offset, count;
    float value;
};

class Progress : public ::testing::TestWithParam<ProgressRow> {};

TEST_P(Progress, IsTheSinglePrecisionQuotient) {
    const ProgressRow& row = GetParam();
    EXPECT_EQ(progressValue(row.phase, row.index, row.offset, row.count), row.value);
}

// Five entries move the bar in eighths; one entry ends each phase without
// dividing by zero; 16385 entries overflowed a 16-bit divisor.
INSTANTIATE_TEST_SUITE_P(Rows, Progress, ::testing::Values(
    ProgressRow{"CopyFirst", Phase::copy, 0, 0, 5, 0.0f},
    ProgressRow{"CopySecond", Phase::copy, 1, 0, 5, 12.5f},
    ProgressRow{"CopyLast", Phase::copy, 4, 0, 5, 50.0f},
    ProgressRow{"RegistrationFirst", Phase::registration, 0, 4, 5, 50.0f},
    ProgressRow{"RegistrationFourth", Phase::registration, 3, 4, 5, 87.5f},
    ProgressRow{"RegistrationLast", Phase::registration, 4, 4, 5, 100.0f},
    ProgressRow{"CopyOfOneEntry", Phase::copy, 0, 0, 1, 50.0f},
    ProgressRow{"RegistrationOfOneEntry", Phase::registration, 0, 0, 1, 100.0f},
    ProgressRow{"WholeFourth", Phase::whole, 3, 0, 5, 75.0f}, ProgressRow{"WholeOfOneEntry", Phase::whole, 0, 0, 1, 100.0f},
    ProgressRow{"CopyOfALongList", Phase::copy, 16384, 0, 16385, 50.0f},
    ProgressRow{"RegistrationOfALongList", Phase::registration, 32766, 32766, 32767, 100.0f},
    ProgressRow{"ASixthIsRounded", Phase::copy, 1, 0, 4, static_cast<float>(100.0 / 6.0)}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

// The progress rule shared by the copy and registration phases.
#pragma once

#include <cstdint>

namespace trevanil {

enum class Phase { copy, registration, whole };  // whole: a run of one phase (/U)

// Bar value after entry `index` of a phase over `count` entries: the copy
// phase (offset 0) runs 0 to 50, the registration phase (offset: the last
// copied index) 50 to 100, a run of one phase (offset 0) 0 to 100.
// Computed wide, so long lists cannot overflow, and a one-entry list gives
// its phase's end value instead of dividing 0 by 0.
float progressValue(Phase phase, std::int32_t index, std::int32_t offset, std::int32_t count);

}  // namespace trevanil

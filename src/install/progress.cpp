#include "install/progress.h"

namespace trevanil {

float progressValue(Phase phase, std::int32_t index, std::int32_t offset, std::int32_t count) {
    if (count <= 1) return phase == Phase::copy ? 50.0f : 100.0f;
    const double numerador = (static_cast<double>(index) + offset) * 100.0;
    const double divisor = (static_cast<double>(count) - 1.0) * (phase == Phase::whole ? 1.0 : 2.0);
    return static_cast<float>(numerador / divisor);
}

}  // namespace trevanil

#include "engine/speed_factor.h"

#include <algorithm>
#include <cmath>

namespace Orvane::engine {

float usable_speed(float requested) {
    if (!std::isfinite(requested) || requested <= 0.0f) return 1.0f;
    return std::clamp(requested, min_speed, max_speed);
}

bool needs_stretch(float usable) { return usable != 1.0f; }

}  // namespace Orvane::engine

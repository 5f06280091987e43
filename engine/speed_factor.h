#pragma once
// The time-stretch factor actually applied to captured audio. Sonic has no
// defence against factors it cannot handle (zero, negative, NaN or extreme
// values corrupt its buffers), so requests are made safe here.

namespace Orvane::engine {

constexpr float min_speed = 0.1f;
constexpr float max_speed = 8.0f;

// 1.0 (no stretch) for NaN, infinities and factors <= 0; otherwise the
// factor clamped to min_speed..max_speed.
float usable_speed(float requested);

// Whether audio at this (usable) factor needs a stretch stream at all.
bool needs_stretch(float usable);

}  // namespace Orvane::engine

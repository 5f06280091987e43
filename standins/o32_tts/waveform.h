#pragma once
// One period of the stand-in's voiced tone, precomputed per utterance and
// read with a fixed-point phase, so a tone costs one table read per sample
// and stays periodic at exactly its fundamental. Integer arithmetic only:
// every platform produces the same bytes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace Orvane::standin {

// Colour of the voice from the escape letters v, e, h and u. It changes the
// mix and phase of the harmonics, never the period.
struct timbre {
    int v = 0;
    int e = 0;
    int h = 0;
    int u = 0;
};

constexpr int period_bits = 11;
constexpr size_t period_size = size_t{1} << period_bits;
constexpr int full_scale_peak = 16000;  // highest sample value at volume 0 and above

// Amplitude in percent for a volume parameter: 100 + volume, clamped to 0..100.
int volume_percent(int32_t volume);

class period_table {
public:
    period_table(int f0, const timbre& colour, int32_t volume);

    // Sample `index` of an endless tone that starts at phase 0 at index 0.
    int16_t at(uint64_t index) const {
        auto phase = static_cast<uint32_t>(index * increment_);
        return table_[phase >> (32 - period_bits)];
    }

private:
    uint64_t increment_;
    std::array<int16_t, period_size> table_{};
};

}  // namespace Orvane::standin

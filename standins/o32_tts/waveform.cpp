#include "standins/o32_tts/waveform.h"

#include <algorithm>
#include <cstdlib>

namespace Orvane::standin {
namespace {

constexpr int harmonic_count = 8;  // 8 x 600 Hz stays below the Nyquist limit of 11025 Hz
constexpr int sample_rate_hz = 11025;

// sin(x) for 0 <= x <= pi/2, x and result in Q30, by its Taylor series in
// integers (exact enough for a 16-bit table, identical on every compiler).
int64_t sin_q30(int64_t x) {
    const int64_t x2 = (x * x) >> 30;
    int64_t term = x;
    int64_t sum = x;
    for (int n = 1; n <= 8; ++n) {
        term = -((term * x2) >> 30) / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

// One full sine period, period_size entries, in Q15.
const std::array<int32_t, period_size>& sine_table() {
    static const std::array<int32_t, period_size> table = [] {
        constexpr int64_t half_pi_q30 = 1686629713;  // pi/2 * 2^30
        constexpr size_t quarter = period_size / 4;
        std::array<int32_t, period_size> t{};
        for (size_t i = 0; i <= quarter; ++i) {
            const int64_t x = half_pi_q30 * static_cast<int64_t>(i) / static_cast<int64_t>(quarter);
            const auto q15 = static_cast<int32_t>((sin_q30(x) + (int64_t{1} << 14)) >> 15);
            t[i] = q15;
            t[period_size / 2 - i] = q15;
            t[(period_size / 2 + i) % period_size] = -q15;
            t[(period_size - i) % period_size] = -q15;
        }
        return t;
    }();
    return table;
}

int clamp_int(int value, int low, int high) { return std::min(std::max(value, low), high); }

// Harmonic k's weight in thousandths of the fundamental's. The fundamental
// stays the strongest partial so a pitch tracker never locks onto an overtone.
int64_t harmonic_weight(int k, const timbre& colour) {
    if (k == 1) return 1000;
    const int e = clamp_int(colour.e, 0, 9);
    const int h = clamp_int(colour.h, -100, 100);
    const int u = clamp_int(colour.u, -50, 50);
    int64_t weight = (300 + 30 * e) / k;
    if (k % 2 == 0) weight = weight * (150 + h) / 150;
    if (k >= 3) weight = weight * (100 + u) / 100;
    return weight;
}

}  // namespace

int volume_percent(int32_t volume) {
    const int64_t percent = int64_t{100} + volume;
    return static_cast<int>(std::clamp<int64_t>(percent, 0, 100));
}

period_table::period_table(int f0, const timbre& colour, int32_t volume)
    : increment_(((static_cast<uint64_t>(f0) << 32) + sample_rate_hz / 2) / sample_rate_hz) {
    const auto& sine = sine_table();
    const size_t v = static_cast<size_t>(clamp_int(colour.v, 0, 9));
    std::array<int64_t, period_size> sum{};
    for (int k = 1; k <= harmonic_count; ++k) {
        const int64_t weight = harmonic_weight(k, colour);
        const size_t shift = v * static_cast<size_t>(k) * period_size / 8;
        for (size_t i = 0; i < period_size; ++i)
            sum[i] += weight * sine[(static_cast<size_t>(k) * i + shift) % period_size];
    }
    int64_t peak = 1;
    for (int64_t s : sum) peak = std::max(peak, s < 0 ? -s : s);
    const int64_t amplitude = int64_t{full_scale_peak} * volume_percent(volume) / 100;
    for (size_t i = 0; i < period_size; ++i) {
        const int64_t scaled = sum[i] * amplitude;
        // Round half away from zero, identically on every platform.
        const int64_t rounded = scaled >= 0 ? (scaled + peak / 2) / peak : -((-scaled + peak / 2) / peak);
        table_[i] = static_cast<int16_t>(rounded);
    }
}

}  // namespace Orvane::standin

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "support/pitch.h"

using Orvane::support::estimate_pitch;

namespace {

constexpr double pi = 3.14159265358979323846;

// `seconds` of a tone at `hz` with an optional second harmonic.
std::vector<int16_t> tone(double hz, double seconds, double second_harmonic = 0.0) {
    std::vector<int16_t> out(static_cast<size_t>(seconds * 11025));
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = static_cast<double>(n) / 11025;
        const double v = std::sin(2 * pi * hz * t) + second_harmonic * std::sin(4 * pi * hz * t + 0.7);
        out[n] = static_cast<int16_t>(9000 * v);
    }
    return out;
}

TEST(PitchTracker, MeasuresTonesAcrossTheVoiceRange) {
    for (double hz : {42.0, 45.0, 97.3, 175.0, 333.3, 600.0, 900.0}) {
        EXPECT_NEAR(estimate_pitch(tone(hz, 0.5)), hz, 0.01 * hz) << hz << " Hz";
        EXPECT_NEAR(estimate_pitch(tone(hz, 0.5, 0.9)), hz, 0.01 * hz) << hz << " Hz with a strong octave";
    }
}

TEST(PitchTracker, LeadingSilenceAndGapsDoNotMatter) {
    std::vector<int16_t> samples(5000, 0);
    for (int burst = 0; burst < 4; ++burst) {
        const std::vector<int16_t> t = tone(210.0, 0.06);
        samples.insert(samples.end(), t.begin(), t.end());
        samples.insert(samples.end(), 660, 0);
    }
    EXPECT_NEAR(estimate_pitch(samples), 210.0, 0.02 * 210.0);
}

TEST(PitchTracker, NoPeriodicSignalGivesZero) {
    std::vector<int16_t> noise(11025);
    uint32_t state = 12345;
    for (int16_t& s : noise) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<int16_t>(static_cast<int32_t>(state >> 16) - 32768);
    }
    EXPECT_EQ(estimate_pitch(noise), 0.0) << "white noise";
    EXPECT_EQ(estimate_pitch(std::vector<int16_t>(11025, 0)), 0.0) << "silence";
    EXPECT_EQ(estimate_pitch(tone(100.0, 0.01)), 0.0) << "shorter than two periods";
    EXPECT_EQ(estimate_pitch(std::vector<int16_t>{}), 0.0) << "empty";
    EXPECT_EQ(estimate_pitch(nullptr, 100), 0.0) << "null";
}

}  // namespace

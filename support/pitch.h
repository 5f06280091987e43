#pragma once
// Fundamental frequency of a voice recording, for tests and the demo:
// normalised autocorrelation over the voiced stretch, refined between lags.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Orvane::support {

struct pitch_options {
    int sample_rate = 11025;
    double min_hz = 40.0;
    double max_hz = 1000.0;
    size_t max_window = 65536;  // samples analysed, from the first audible one
};

// Hz, or 0 when the samples hold no periodic stretch in the range.
double estimate_pitch(const int16_t* samples, size_t count, const pitch_options& options = {});
double estimate_pitch(const std::vector<int16_t>& samples, const pitch_options& options = {});

}  // namespace Orvane::support

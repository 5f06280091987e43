#include "support/pitch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Orvane::support {
namespace {

constexpr int audible_level = 64;        // below this a sample counts as silence
constexpr double voiced_correlation = 0.3;
constexpr double near_best = 0.9;          // the shortest lag this close to the best wins: no octave drops

// Normalised autocorrelation at one lag; `energy` holds running sums of
// squares (energy[k] = sum of x[n]^2 for n < k), so only the cross term
// costs a pass.
double correlation(const std::vector<double>& x, const std::vector<double>& energy, size_t lag) {
    double cross = 0.0;
    for (size_t n = 0; n + lag < x.size(); ++n) cross += x[n] * x[n + lag];
    const double head = energy[x.size() - lag];
    const double tail = energy[x.size()] - energy[lag];
    const double norm = std::sqrt(head * tail);
    return norm > 0.0 ? cross / norm : 0.0;
}

}  // namespace

double estimate_pitch(const int16_t* samples, size_t count, const pitch_options& options) {
    if (samples == nullptr || options.sample_rate <= 0 || options.min_hz <= 0.0 || options.max_hz <= options.min_hz)
        return 0.0;
    const int16_t* end = samples + count;
    const int16_t* first = std::find_if(samples, end, [](int16_t s) { return std::abs(s) >= audible_level; });
    const size_t window = std::min<size_t>(static_cast<size_t>(end - first), options.max_window);
    const auto min_lag = std::max<size_t>(2, static_cast<size_t>(std::floor(options.sample_rate / options.max_hz)));
    const auto max_lag = std::min<size_t>(static_cast<size_t>(std::ceil(options.sample_rate / options.min_hz)), window / 2);
    if (max_lag <= min_lag + 1) return 0.0;

    std::vector<double> x(first, first + window);
    double mean = 0.0;
    for (double v : x) mean += v;
    mean /= static_cast<double>(x.size());
    for (double& v : x) v -= mean;
    std::vector<double> energy(x.size() + 1, 0.0);
    for (size_t n = 0; n < x.size(); ++n) energy[n + 1] = energy[n] + x[n] * x[n];

    std::vector<double> r(max_lag + 2, 0.0);
    for (size_t lag = min_lag - 1; lag <= max_lag + 1; ++lag) r[lag] = correlation(x, energy, lag);

    double best = 0.0;
    for (size_t lag = min_lag; lag <= max_lag; ++lag)
        if (r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) best = std::max(best, r[lag]);
    if (best < voiced_correlation) return 0.0;

    for (size_t lag = min_lag; lag <= max_lag; ++lag) {
        if (r[lag] < r[lag - 1] || r[lag] < r[lag + 1] || r[lag] < near_best * best) continue;
        const double curve = r[lag - 1] - 2.0 * r[lag] + r[lag + 1];
        const double shift = curve < 0.0 ? 0.5 * (r[lag - 1] - r[lag + 1]) / curve : 0.0;
        return options.sample_rate / (static_cast<double>(lag) + shift);
    }
    return 0.0;
}

double estimate_pitch(const std::vector<int16_t>& samples, const pitch_options& options) {
    return estimate_pitch(samples.data(), samples.size(), options);
}

}  // namespace Orvane::support

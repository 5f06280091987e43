#include "sapi/speak_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwctype>
#include <stdexcept>
#include <string>

namespace Orvane::sapi {

rate_and_speed compute_rate(long fragment_rate_adj, long site_rate) {
    const long long sum = std::clamp<long long>(static_cast<long long>(fragment_rate_adj) + site_rate, -10, 10);
    const float speed = std::pow(2.0f, static_cast<float>(sum) * 0.125f);
    const float r = std::log2(speed) * -100.0f;
    if (r > 100.0f) return {100, speed * 2.0f};
    if (r < -100.0f) return {-100, speed * 0.5f};
    return {static_cast<int>(std::roundf(r)), 1.0f};
}

namespace {

int volume_term(long volume) { return static_cast<int>((static_cast<double>(volume) - 100.0) * 0.5); }

}  // namespace

int compute_volume(unsigned short site_volume, unsigned long fragment_volume) {
    const long fragment = static_cast<long>(std::min<unsigned long>(fragment_volume, 0x7fffffffUL));
    return volume_term(site_volume) + volume_term(fragment);
}

int compute_pitch(int base_pitch, long middle_adj) {
    const double base = base_pitch;
    const double m = static_cast<double>(std::clamp<long>(middle_adj, -1000, 1000));
    double pitch = base;
    if (m < 0)
        pitch = 45.0 * std::pow(base / 45.0, (m + 25.0) / 25.0);
    else if (m > 0)
        pitch = base * std::pow(400.0 / base, std::pow(m / 25.0, 1.5));
    pitch = std::round(pitch);
    // SAPI's documented range is -10..10; far outside it the curve leaves int.
    return static_cast<int>(std::clamp(pitch, -1.0e9, 1.0e9));
}

int bookmark_value(const wchar_t* text, unsigned long length) {
    if (!text || length == 0) return 0;
    try {
        const long long value = std::stoll(std::wstring(text, length));
        if (value < INT32_MIN || value > INT32_MAX) return 0;
        return static_cast<int>(value);
    } catch (const std::exception&) {
        return 0;
    }
}

std::vector<word_span> scan_words(const wchar_t* text, unsigned long length) {
    std::vector<word_span> words;
    if (!text) return words;
    auto is_word_unit = [](wchar_t c) { return c == L'\'' || c == L'-' || std::iswalnum(static_cast<wint_t>(c)); };
    unsigned long start = 0;
    bool in_word = false;
    for (unsigned long i = 0; i <= length; ++i) {
        const bool word_unit = i < length && is_word_unit(text[i]);
        if (word_unit && !in_word) {
            start = i;
            in_word = true;
        } else if (!word_unit && in_word) {
            words.push_back({start, i - start});
            in_word = false;
        }
    }
    return words;
}

}  // namespace Orvane::sapi

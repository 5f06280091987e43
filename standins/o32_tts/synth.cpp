#include "standins/o32_tts/synth.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Orvane::standin {
namespace {

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_printable(char c) { return c >= 0x20 && c <= 0x7e; }
char to_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct escape_item {
    char letter;
    int value;
    size_t length;  // characters consumed, 0 when there is no item here
};

// Recognises an escape item at `pos`; numbers too large for an int saturate.
escape_item match_escape(std::string_view text, size_t pos) {
    const escape_item none{0, 0, 0};
    if (text.size() - pos < 4 || text[pos] != '~' || !is_ascii_letter(text[pos + 1])) return none;
    size_t i = pos + 2;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const size_t digits_start = i;
    int64_t magnitude = 0;
    constexpr int64_t limit = int64_t{std::numeric_limits<int>::max()} + 1;
    for (; i < text.size() && is_digit(text[i]); ++i)
        magnitude = std::min(limit, magnitude * 10 + (text[i] - '0'));
    if (i == digits_start || i >= text.size() || text[i] != ']') return none;
    const int64_t value = negative ? -magnitude : std::min(magnitude, limit - 1);
    return {to_lower(text[pos + 1]), static_cast<int>(value), i + 1 - pos};
}

void apply_escape(parsed_text& parsed, const escape_item& item) {
    switch (item.letter) {
    case 'f': parsed.f0 = std::clamp(item.value, min_f0, max_f0); break;
    case 'v': parsed.colour.v = item.value; break;
    case 'e': parsed.colour.e = item.value; break;
    case 'h': parsed.colour.h = item.value; break;
    case 'u': parsed.colour.u = item.value; break;
    default: break;  // other letters (the rate escape "~r" among them) are consumed silently
    }
}

}  // namespace

bool apply_param(synth_params& params, uint32_t id, int32_t value) {
    switch (id) {
    case param_rate: params.rate = value; return true;
    case param_volume: params.volume = value; return true;
    case param_mode: return true;
    default: return false;
    }
}

parsed_text parse_text(std::string_view text) {
    parsed_text parsed;
    parsed.segments.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const escape_item item = match_escape(text, pos);
        if (item.length > 0) {
            apply_escape(parsed, item);
            pos += item.length;
            continue;
        }
        if (is_printable(text[pos])) parsed.segments.push_back(text[pos]);
        ++pos;
    }
    return parsed;
}

size_t segment_samples(int rate) {
    const int clamped = std::clamp(rate, min_rate, max_rate);
    return static_cast<size_t>(std::llround(base_segment_samples * std::exp2(clamped / 100.0)));
}

bool is_voiced(char c) { return is_ascii_letter(c) || is_digit(c); }

synth_stream::synth_stream(std::string_view text, const synth_params& params)
    : synth_stream(parse_text(text), params) {}

synth_stream::synth_stream(parsed_text&& parsed, const synth_params& params)
    : segments_(std::move(parsed.segments)),
      segment_length_(segment_samples(params.rate)),
      f0_(parsed.f0),
      period_(parsed.f0, parsed.colour, params.volume) {}

size_t synth_stream::read(int16_t* out, size_t max_samples) {
    const uint64_t remaining = total_samples() - position_;
    const auto count = static_cast<size_t>(std::min<uint64_t>(max_samples, remaining));
    size_t produced = 0;
    while (produced < count) {
        const uint64_t segment = position_ / segment_length_;
        const uint64_t offset = position_ % segment_length_;
        const auto run = static_cast<size_t>(std::min<uint64_t>(count - produced, segment_length_ - offset));
        int16_t* dest = out + produced;
        if (is_voiced(segments_[static_cast<size_t>(segment)])) {
            for (size_t i = 0; i < run; ++i) dest[i] = period_.at(position_ + i);
        } else {
            std::fill(dest, dest + run, int16_t{0});
        }
        produced += run;
        position_ += run;
    }
    return produced;
}

std::vector<int16_t> synthesize(std::string_view text, const synth_params& params) {
    synth_stream stream(text, params);
    std::vector<int16_t> samples;
    if (stream.total_samples() > samples.max_size()) throw std::length_error("utterance too long to hold in memory");
    samples.resize(static_cast<size_t>(stream.total_samples()));
    const size_t produced = stream.read(samples.data(), samples.size());
    samples.resize(produced);
    return samples;
}

}  // namespace Orvane::standin

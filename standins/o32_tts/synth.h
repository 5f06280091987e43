#pragma once
// Synthesis core of the o32_tts stand-in: turns an utterance (escape items
// and text) into deterministic, measurable 16-bit mono PCM at 11025 Hz.
// Portable: no Windows API, so it is tested natively and benchmarked alone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standins/o32_tts/waveform.h"

namespace Orvane::standin {

constexpr int sample_rate = 11025;
constexpr int base_segment_samples = 660;  // one character at rate 0, about 60 ms
constexpr int default_f0 = 100;
constexpr int min_f0 = 45;
constexpr int max_f0 = 600;
constexpr int min_rate = -400;  // keeps a segment between 1/16 and 16 times its base length
constexpr int max_rate = 400;

// Parameter ids understood by orvSetParams; any other id is ignored.
constexpr uint32_t param_rate = 0x101;
constexpr uint32_t param_volume = 0x102;
constexpr uint32_t param_mode = 0x1001;  // accepted, no effect

struct synth_params {
    int rate = 0;    // segment length times 2^(rate/100)
    int volume = 0;  // amplitude times (100 + volume)/100, clamped to 0..1
};

// Stores a parameter; false (and no change) for an id the engine ignores.
bool apply_param(synth_params& params, uint32_t id, int32_t value);

// An utterance split into what it says and how: the last value of each
// escape letter, and the characters that become segments, in order.
struct parsed_text {
    int f0 = default_f0;  // already clamped to min_f0..max_f0
    timbre colour;
    std::string segments;  // printable characters only, escape items removed
};

// Escape item: "~", one ASCII letter, an optionally signed decimal integer,
// "]". Anything that does not complete the pattern is ordinary text.
parsed_text parse_text(std::string_view text);

// Samples per segment for a rate (clamped to min_rate..max_rate).
size_t segment_samples(int rate);

// Letters and digits are voiced; other printable characters are silence.
bool is_voiced(char c);

// Produces the PCM of one utterance piece by piece, so that a long text
// never needs its whole audio in memory.
class synth_stream {
public:
    synth_stream(std::string_view text, const synth_params& params);

    // Writes up to `max_samples` samples; returns how many, 0 at the end.
    size_t read(int16_t* out, size_t max_samples);

    // 64-bit: a long text at a slow rate outgrows a 32-bit count.
    uint64_t total_samples() const { return uint64_t{segments_.size()} * segment_length_; }
    uint64_t position() const { return position_; }
    int f0() const { return f0_; }

private:
    synth_stream(parsed_text&& parsed, const synth_params& params);

    std::string segments_;
    uint64_t segment_length_;
    int f0_;
    period_table period_;
    uint64_t position_ = 0;
};

// The whole utterance in memory, with no wave output.
std::vector<int16_t> synthesize(std::string_view text, const synth_params& params = {});

}  // namespace Orvane::standin

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "standins/o32_tts/synth.h"
#include "support/pitch.h"

using namespace Orvane::standin;

namespace {

struct escape_case {
    const char* text;
    const char* segments;
    int f0;
};

const escape_case escape_cases[] = {
    {"Hi", "Hi", 100},
    {"", "", 100},
    {"~v0]~e3]~h0]~u0]~f80]Hi... there", "Hi... there", 80},
    {"~f80]a~f200]b", "ab", 200},          // the last ~f wins
    {"~r5]x~q-7]", "x", 100},              // unknown letters are consumed too
    {"~F150]x", "x", 150},                 // letter case does not matter
    {"~f+300]x", "x", 300},
    {"~f-20]x", "x", min_f0},              // out of range: clamped
    {"~f0]x", "x", min_f0},
    {"~f99999999999999999999]x", "x", max_f0},  // saturates, no overflow
    {"~f-99999999999999999999]x", "x", min_f0},
    {"~f]x", "~f]x", 100},                 // incomplete items are plain text
    {"~f-]x", "~f-]x", 100},
    {"~f80x", "~f80x", 100},
    {"~f80", "~f80", 100},
    {"~f8 0]", "~f8 0]", 100},
    {"~1f]", "~1f]", 100},
    {"~", "~", 100},
    {"~~f80]", "~", 80},
    {"a\tb\r\n\x7f\x80\xc3\xa9" "c", "abc", 100},  // non-printable bytes make no segment
};

TEST(SynthParse, EscapeItemsAreConsumedAndTheLastPitchWins) {
    for (const auto& c : escape_cases) {
        const parsed_text parsed = parse_text(c.text);
        EXPECT_EQ(parsed.segments, c.segments) << "text: " << c.text;
        EXPECT_EQ(parsed.f0, c.f0) << "text: " << c.text;
    }
}

TEST(SynthParse, TimbreLettersKeepTheirLastValue) {
    const parsed_text parsed = parse_text("~v2]~e3]~h-20]~u5]~v6]x");
    EXPECT_EQ(parsed.colour.v, 6);
    EXPECT_EQ(parsed.colour.e, 3);
    EXPECT_EQ(parsed.colour.h, -20);
    EXPECT_EQ(parsed.colour.u, 5);
}

TEST(SynthParams, RateAndVolumeAreStoredOtherIdsIgnored) {
    synth_params params;
    EXPECT_TRUE(apply_param(params, param_rate, 100));
    EXPECT_TRUE(apply_param(params, param_volume, -40));
    EXPECT_TRUE(apply_param(params, param_mode, 16));
    EXPECT_FALSE(apply_param(params, 0x103, 7));
    EXPECT_EQ(params.rate, 100);
    EXPECT_EQ(params.volume, -40);
}

TEST(SynthSegments, LengthFollowsTheRate) {
    const struct {
        int rate;
        size_t samples;
    } cases[] = {
        {0, 660}, {100, 1320}, {-100, 330}, {200, 2640}, {50, 933}, {-50, 467},
        {400, 10560}, {1000, 10560}, {INT_MAX, 10560},  // clamped at 16 times
        {-400, 41}, {INT_MIN, 41},                       // and at 1/16
    };
    for (const auto& c : cases) {
        EXPECT_EQ(segment_samples(c.rate), c.samples) << "rate " << c.rate;
        EXPECT_EQ(synthesize("ab c", {c.rate, 0}).size(), 4 * c.samples) << "rate " << c.rate;
    }
}

TEST(SynthSegments, LettersAndDigitsSoundEverythingElseIsSilent) {
    for (char c = 0x20; c < 0x7f; ++c) {
        const std::vector<int16_t> pcm = synthesize(std::string(1, c));
        ASSERT_EQ(pcm.size(), size_t{base_segment_samples}) << "char " << c;
        const bool audible = std::any_of(pcm.begin(), pcm.end(), [](int16_t s) { return s != 0; });
        EXPECT_EQ(audible, is_voiced(c)) << "char '" << c << "'";
    }
}

TEST(SynthSegments, EachCharacterOwnsItsStretchOfSamples) {
    const std::vector<int16_t> pcm = synthesize("a b.c");
    ASSERT_EQ(pcm.size(), 5u * base_segment_samples);
    for (size_t segment = 0; segment < 5; ++segment) {
        const auto begin = pcm.begin() + static_cast<long>(segment * base_segment_samples);
        const auto peak = std::abs(*std::max_element(begin, begin + base_segment_samples,
                                                     [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); }));
        if (segment % 2 == 0)
            EXPECT_GT(peak, 10000) << "segment " << segment;
        else
            EXPECT_EQ(peak, 0) << "segment " << segment;
    }
}

TEST(SynthVolume, ScalesAmplitudeAndClampsToFullScaleAndSilence) {
    const std::vector<int16_t> reference = synthesize("~f175]ab", {0, 0});
    const int peak = std::abs(*std::max_element(reference.begin(), reference.end(),
                                                [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); }));
    EXPECT_LE(peak, 16000);
    EXPECT_GT(peak, 15000);
    const struct {
        int volume;
        int percent;
    } cases[] = {{0, 100}, {-25, 75}, {-50, 50}, {-99, 1}, {50, 100}, {INT_MAX, 100}, {-100, 0}, {-150, 0}, {INT_MIN, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(volume_percent(c.volume), c.percent) << "volume " << c.volume;
        const std::vector<int16_t> scaled = synthesize("~f175]ab", {0, c.volume});
        ASSERT_EQ(scaled.size(), reference.size());
        for (size_t i = 0; i < scaled.size(); ++i) {
            const double expected = reference[i] * c.percent / 100.0;
            ASSERT_NEAR(scaled[i], expected, 1.0) << "volume " << c.volume << " sample " << i;
        }
    }
}

TEST(SynthStream, ReadingInPiecesGivesTheSameBytesAsAWhole) {
    const char* text = "~v3]~e4]~h-10]~f60]Hello, world 42!";
    const synth_params params{-30, -10};
    const std::vector<int16_t> whole = synthesize(text, params);
    EXPECT_EQ(synthesize(text, params), whole) << "not deterministic";
    for (size_t piece : {size_t{1}, size_t{7}, size_t{333}, size_t{2048}, size_t{100000}}) {
        synth_stream stream(text, params);
        std::vector<int16_t> joined;
        std::vector<int16_t> buffer(piece);
        while (size_t n = stream.read(buffer.data(), piece)) joined.insert(joined.end(), buffer.begin(), buffer.begin() + n);
        EXPECT_EQ(joined, whole) << "pieces of " << piece;
        EXPECT_EQ(stream.read(buffer.data(), piece), 0u) << "stream does not stay at its end";
    }
}

// FNV-1a over the PCM bytes, low byte first.
uint32_t fingerprint(const std::vector<int16_t>& pcm) {
    uint32_t hash = 2166136261u;
    for (int16_t s : pcm)
        for (int shift : {0, 8}) hash = (hash ^ ((static_cast<uint16_t>(s) >> shift) & 0xffu)) * 16777619u;
    return hash;
}

TEST(SynthStream, SameBytesOnEveryPlatform) {
    // A native, a 32-bit and a 64-bit process must agree so that audio
    // compared across the pipe or with a reference matches exactly.
    EXPECT_EQ(fingerprint(synthesize("~v0]~e3]~h0]~u0]~f80]Hello there.", {0, 0})), 0x55f8ade8u);
    EXPECT_EQ(fingerprint(synthesize("~v6]~e4]~h100]~u-5]~f300]Quill 13", {100, -25})), 0x6b6c44c0u);
}

TEST(SynthPitch, VoicedSegmentsCarryTheRequestedFundamental) {
    const struct {
        const char* preset;
        int f0;
    } cases[] = {
        {"", 45},
        {"~v3]~e3]~h45]~u-5]", 47},
        {"~v3]~e3]~h50]~u0]", 60},
        {"~v0]~e3]~h0]~u0]", 80},
        {"", 100},
        {"~v4]~e6]~h-50]~u-20]", 115},
        {"~v2]~e1]~h50]~u0]", 150},
        {"~v2]~e3]~h-20]~u0]", 175},
        {"~v5]~e3]~h40]~u0]", 230},
        {"~v6]~e4]~h100]~u-5]", 300},
        {"~v4]~e3]~h-60]~u0]", 350},
        {"~v9]~e9]~h100]~u50]", 450},  // the brightest colour the engine allows
        {"~v6]~e6]~h0]~u-25]", 600},
    };
    for (const auto& c : cases) {
        const std::string text = std::string(c.preset) + "~f" + std::to_string(c.f0) + "]Aa1b";
        for (int rate : {0, -100}) {
            const double hz = Orvane::support::estimate_pitch(synthesize(text, {rate, 0}));
            EXPECT_NEAR(hz, c.f0, 0.02 * c.f0) << text << " at rate " << rate;
        }
    }
}

TEST(SynthPitch, TimbreChangesTheWaveformNotThePeriod) {
    const std::vector<int16_t> plain = synthesize("~f150]aaaa");
    const std::vector<int16_t> coloured = synthesize("~v3]~e6]~h50]~u-20]~f150]aaaa");
    EXPECT_NE(plain, coloured);
    EXPECT_NEAR(Orvane::support::estimate_pitch(coloured), Orvane::support::estimate_pitch(plain), 1.5);
}

}  // namespace

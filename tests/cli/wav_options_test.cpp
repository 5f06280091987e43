#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/orvane-wav/wav_options.h"

using namespace Orvane::cli;

namespace {

TEST(WavOptions, ReadsEveryOptionAndVoiceNames) {
    std::string error;
    const auto options = parse_wav_options({"--voice", "greta", "--rate", "-50", "--speed", "1.5", "--volume",
                                            "20", "--pitch", "300", "--out", "x.wav", "Hello there"},
                                           error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->request.voice_index, 12);
    EXPECT_EQ(options->request.rate, -50);
    EXPECT_EQ(options->request.speed, 1.5f);
    EXPECT_EQ(options->request.volume, 20);
    EXPECT_EQ(options->request.pitch, 300);
    EXPECT_EQ(options->out, "x.wav");
    EXPECT_EQ(options->request.text, "Hello there");

    const auto defaults = parse_wav_options({"--out", "y.wav", "--voice", "13", "text"}, error);
    ASSERT_TRUE(defaults) << error;
    EXPECT_EQ(defaults->request.voice_index, 13);
    EXPECT_EQ(defaults->request.rate, 0);
    EXPECT_EQ(defaults->request.speed, 1.0f);
    EXPECT_EQ(defaults->request.pitch, -1);
}

TEST(WavOptions, RejectsBadCommandLines) {
    const struct {
        std::vector<std::string> args;
        const char* complaint;
    } cases[] = {
        {{}, "--voice is required"},
        {{"--voice", "0", "text"}, "--out is required"},
        {{"--voice", "0", "--out", "a.wav"}, "no text given"},
        {{"--voice", "0", "--out", "a.wav", "one", "two"}, "more than one text"},
        {{"--voice", "14", "--out", "a.wav", "t"}, "bad value for --voice"},
        {{"--voice", "-1", "--out", "a.wav", "t"}, "bad value for --voice"},
        {{"--voice", "Nobody", "--out", "a.wav", "t"}, "bad value for --voice"},
        {{"--voice", "0", "--rate", "12x", "--out", "a.wav", "t"}, "bad value for --rate"},
        {{"--voice", "0", "--rate", "99999999999", "--out", "a.wav", "t"}, "bad value for --rate"},
        {{"--voice", "0", "--speed", "0", "--out", "a.wav", "t"}, "bad value for --speed"},
        {{"--voice", "0", "--speed", "nan", "--out", "a.wav", "t"}, "bad value for --speed"},
        {{"--voice", "0", "--speed", "", "--out", "a.wav", "t"}, "bad value for --speed"},
        {{"--voice", "0", "--out", "", "t"}, "bad value for --out"},
        {{"--voice", "0", "--out", "a.wav", "t", "--pitch"}, "--pitch needs a value"},
        {{"--voice", "0", "--loud", "1", "--out", "a.wav", "t"}, "unknown option --loud"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parse_wav_options(c.args, error)) << c.complaint;
        EXPECT_NE(error.find(c.complaint), std::string::npos) << "got: " << error;
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/orvane-pipe-say/options.h"

using namespace Orvane::cli;

namespace {

std::optional<options> parse(std::vector<std::string> words, std::string& error) {
    words.insert(words.begin(), "orvane-pipe-say");
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    return parse_options(int(argv.size()), argv.data(), error);
}

TEST(PipeSayOptions, EachOptionFillsItsOwnValue) {
    std::string error;
    const auto o = parse({"--voice", "Greta", "--rate", "-3", "--speed", "1.5", "--volume", "-20", "--pitch", "300",
                          "--out", "x.wav", "Hello there"},
                         error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->what, action::speak);
    EXPECT_EQ(o->voice, "Greta");
    EXPECT_EQ(o->request.rate, -3);
    EXPECT_EQ(o->request.speed, 1.5f);
    EXPECT_EQ(o->request.volume, -20);
    EXPECT_EQ(o->request.pitch, 300);
    EXPECT_EQ(o->out, "x.wav");
    EXPECT_EQ(o->request.text, "Hello there");

    const auto list = parse({"--list"}, error);
    ASSERT_TRUE(list) << error;
    EXPECT_EQ(list->what, action::list);
    const auto shutdown = parse({"--shutdown"}, error);
    ASSERT_TRUE(shutdown) << error;
    EXPECT_EQ(shutdown->what, action::shutdown);
}

TEST(PipeSayOptions, RejectsBadCommandLines) {
    const struct {
        std::vector<std::string> args;
        const char* complaint;
    } cases[] = {
        {{}, "speaking needs --out FILE and TEXT"},
        {{"--out", "a.wav"}, "speaking needs --out FILE and TEXT"},
        {{"--out", "a.wav", "one", "two"}, "only one TEXT argument"},
        {{"--out", "a.wav", "t", "--voice"}, "--voice needs a value"},
        {{"--out", "a.wav", "t", "--pitch"}, "--pitch needs a value"},
        {{"--rate", "12x", "--out", "a.wav", "t"}, "bad number for --rate"},
        {{"--volume", "99999999999", "--out", "a.wav", "t"}, "bad number for --volume"},
        {{"--speed", "0", "--out", "a.wav", "t"}, "bad --speed (a positive number)"},
        {{"--loud", "1", "--out", "a.wav", "t"}, "unknown option --loud"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parse(c.args, error)) << c.complaint;
        EXPECT_EQ(error, c.complaint);
    }
}

}  // namespace

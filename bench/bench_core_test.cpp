// The pieces the benchmark programs share: the texts they speak and the
// JSON they hand to the runner.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <limits>

#include "bench/options.h"
#include "bench/results.h"
#include "bench/texts.h"

using namespace Orvane::bench;

namespace {

size_t count_words(const std::string& text) {
    size_t words = 0;
    bool in_word = false;
    for (char c : text) {
        const bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
        if (letter && !in_word) ++words;
        in_word = letter;
    }
    return words;
}

}  // namespace

TEST(BenchTexts, HaveExactlyTheAskedSizeInPrintableAscii) {
    for (size_t characters : {1u, 2u, 3u, 44u, 300u, 20000u}) {
        const std::string text = text_of_characters(characters);
        ASSERT_EQ(text.size(), characters);
        EXPECT_EQ(text.back(), '.');
        for (char c : text) EXPECT_TRUE(c >= 0x20 && c <= 0x7e) << int(c);
        EXPECT_EQ(text.find("  "), std::string::npos);  // the driver would shrink it
    }
    EXPECT_TRUE(text_of_characters(0).empty());
    for (size_t words : {1u, 11u, 12u, 2000u}) EXPECT_EQ(count_words(text_of_words(words)), words) << words;
    EXPECT_TRUE(text_of_words(0).empty());
}

TEST(BenchResults, WriteValidJsonForAnyNameAndValue) {
    EXPECT_EQ(json_string("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
    EXPECT_EQ(json_number(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(json_number(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(std::stod(json_number(0.1)), 0.1);  // no precision lost

    results out("p\"q");
    out.add("s", 1.5);
    out.add("s", 2.0);
    out.add("b", 3.0, "bytes");
    out.fact("text", "x\ty");
    const std::string json = out.to_json();
    EXPECT_NE(json.find("\"program\": \"p\\\"q\""), std::string::npos);
    EXPECT_NE(json.find("\"s\": {\"unit\": \"ms\", \"values\": [1.5, 2]}"), std::string::npos);
    EXPECT_NE(json.find("\"b\": {\"unit\": \"bytes\", \"values\": [3]}"), std::string::npos);
    EXPECT_NE(json.find("\"text\": \"x\\ty\""), std::string::npos);
}

TEST(BenchOptions, NeedAnOutputAndRejectUnknownArguments) {
    std::string error;
    const auto tiny = parse_options({"--tiny", "--out", "x.json", "--server", "C:\\s.exe"}, error);
    ASSERT_TRUE(tiny);
    EXPECT_TRUE(tiny->tiny);
    EXPECT_EQ(tiny->out, "x.json");
    EXPECT_EQ(tiny->server, "C:\\s.exe");
    EXPECT_EQ(tiny->sizes.long_characters, tiny_sizes().long_characters);
    EXPECT_EQ(parse_options({"--out", "x.json"}, error)->sizes.long_characters, 20000u);

    EXPECT_EQ(parse_options({"--long-text", "t.txt"}, error)->text_out, "t.txt");

    const std::vector<std::vector<std::string>> bad = {
        {}, {"--tiny"}, {"--out"}, {"--out", "x", "--speed"}, {"x"}, {"--out", "x", "--long-text", "t"}};
    for (const auto& args : bad) EXPECT_FALSE(parse_options(args, error)) << args.size();
}

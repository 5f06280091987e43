#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/speed_factor.h"
#include "engine/text_normalise.h"
#include "engine/utterance.h"

using namespace Orvane::engine;

namespace {

struct utterance_case {
    const char* label;
    std::string text;
    int voice;
    int pitch;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const utterance_case& c) { return out << c.label; }

class UtteranceTable : public ::testing::TestWithParam<utterance_case> {};

TEST_P(UtteranceTable, NormalisesAndPrefixesThePreset) {
    const utterance_case& c = GetParam();
    EXPECT_EQ(build_utterance(normalise_text(c.text), c.voice, c.pitch), c.expected);
}

const std::string lyra = "~v2]~e3]~h-20]~u0]";

INSTANTIATE_TEST_SUITE_P(
    Cases, UtteranceTable,
    ::testing::Values(
        utterance_case{"ellipsis_and_line_break", "Hi\xE2\x80\xA6\r\nthere", 0, -1,
                       "~v0]~e3]~h0]~u0]~f80]Hi... there"},
        utterance_case{"en_dash", "a\xE2\x80\x93" "b", -1, -1, "a-b"},
        utterance_case{"em_dash", "a\xE2\x80\x94" "b", -1, -1, "a-b"},
        utterance_case{"curly_double_quotes", "\xE2\x80\x9Cq\xE2\x80\x9D", -1, -1, "\"q\""},
        utterance_case{"curly_single_quotes", "\xE2\x80\x98it\xE2\x80\x99s", -1, -1, "'it's"},
        utterance_case{"two_byte_letter_removed", "caf\xC3\xA9!", -1, -1, "caf!"},
        utterance_case{"tab_removed_then_spaces_collapse", "a \t b", -1, -1, "a b"},
        utterance_case{"space_runs_keep_edges", "   a    b   ", -1, -1, " a b "},
        utterance_case{"controls_and_del_removed", std::string("x\x01y\x7Fz\0w", 7), -1, -1, "xyzw"},
        // A truncated multi-byte sequence must not eat the following ASCII.
        utterance_case{"truncated_sequence", "a\xE2\x80" "b\xE2", -1, -1, "ab"},
        utterance_case{"replacement_not_rescanned", "\xE2\x80\xA6\xE2\x80\xA6", -1, -1, "......"},
        utterance_case{"empty_text_keeps_preset", "", 13, -1, "~v3]~e4]~h-10]~u0]~f60]"},
        utterance_case{"pitch_200", "x", 1, 200, lyra + "~f200]x"},
        utterance_case{"pitch_10_clamped_up", "x", 1, 10, lyra + "~f45]x"},
        utterance_case{"pitch_0_clamped_up", "x", 1, 0, lyra + "~f45]x"},
        utterance_case{"pitch_5000_clamped_down", "x", 1, 5000, lyra + "~f600]x"},
        utterance_case{"pitch_int_max", "x", 1, std::numeric_limits<int>::max(), lyra + "~f600]x"},
        utterance_case{"negative_pitch_keeps_voice", "x", 1, -1, lyra + "~f175]x"},
        utterance_case{"index_14_text_alone", "x", 14, 200, "x"},
        utterance_case{"index_minus_1_text_alone", "x", -1, 200, "x"},
        utterance_case{"index_int_min_text_alone", "x", std::numeric_limits<int>::min(), 200, "x"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WithPitch, LeavesPresetsWithoutACompleteItemAlone) {
    EXPECT_EQ(with_pitch("~v1]~e2]", 100), "~v1]~e2]");
    EXPECT_EQ(with_pitch("~v1]~f90", 100), "~v1]~f90");
    EXPECT_EQ(with_pitch("~f1]~f2]", 100), "~f100]~f2]") << "only the first item";
}

TEST(ReplaceAll, HandlesGrowthShrinkAndAbsence) {
    std::string text = "abcabc";
    replace_all(text, "b", "xyz");
    EXPECT_EQ(text, "axyzcaxyzc");
    replace_all(text, "xyz", "");
    EXPECT_EQ(text, "acac");
    replace_all(text, "q", "r");
    EXPECT_EQ(text, "acac");
    replace_all(text, "", "r");
    EXPECT_EQ(text, "acac");
}

TEST(UsableSpeed, KeepsSonicInItsWorkingRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct { float in, out; } cases[] = {
        {1.0f, 1.0f}, {1.5f, 1.5f}, {0.5f, 0.5f},   {2.0f, 2.0f},      {0.0f, 1.0f}, {-2.0f, 1.0f},
        {nan, 1.0f},  {inf, 1.0f},  {-inf, 1.0f}, {0.01f, min_speed}, {100.0f, max_speed},
    };
    for (const auto& c : cases) EXPECT_EQ(usable_speed(c.in), c.out) << "requested " << c.in;
    EXPECT_FALSE(needs_stretch(usable_speed(nan)));
    EXPECT_TRUE(needs_stretch(usable_speed(1.5f)));
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/catalogue.h"
#include "engine/voice_table.h"

using namespace Orvane::engine;

TEST(Catalogue, CountsFourteenRowsBeforeTheTerminator) {
    EXPECT_EQ(voice_count(), 14);
    EXPECT_EQ(voice_count(), 14) << "cached value";
    const catalogue_entry& end = voice_catalogue[14];
    EXPECT_EQ(end.name, nullptr);
    EXPECT_EQ(end.preset, nullptr);
    EXPECT_EQ(end.rate_escape, nullptr);
}

TEST(Catalogue, VoiceNamesAreBuiltOnceAndNullTerminated) {
    int count = 0;
    const char* const* first = voice_names(&count);
    EXPECT_EQ(count, 14);
    EXPECT_EQ(voice_names(), first);
    EXPECT_EQ(first[14], nullptr);
    for (int i = 0; i < count; ++i) EXPECT_STREQ(first[i], voice_catalogue[i].name);
}

TEST(Catalogue, RowAccessChecksTheRange) {
    EXPECT_EQ(catalogue_row(0), &voice_catalogue[0]);
    EXPECT_EQ(catalogue_row(13), &voice_catalogue[13]);
    EXPECT_EQ(catalogue_row(14), nullptr);
    EXPECT_EQ(catalogue_row(-1), nullptr);
    EXPECT_STREQ(catalogue_row(1)->preset, "~v2]~e3]~h-20]~u0]~f175]");
    EXPECT_STREQ(catalogue_row(4)->rate_escape, "~r7]");
}

// Every preset is a run of "~" letter signed-integer "]" items using v, e,
// h, u, f in that order, with exactly one "~f" item, which comes last and
// carries the voice's base pitch; names agree with the SAPI-side table.
TEST(Catalogue, PresetsAreWellFormedAndAgreeWithTheVoiceTable) {
    for (int i = 0; i < voice_count(); ++i) {
        const std::string preset = voice_catalogue[i].preset;
        std::string letters;
        int last_number = 0;
        size_t pos = 0;
        while (pos < preset.size()) {
            ASSERT_EQ(preset[pos], '~') << preset;
            letters += preset[pos + 1];
            size_t close = preset.find(']', pos);
            ASSERT_NE(close, std::string::npos) << preset;
            last_number = std::stoi(preset.substr(pos + 2, close - pos - 2));
            pos = close + 1;
        }
        EXPECT_EQ(letters, "vehuf") << preset;
        EXPECT_EQ(preset.find("~f"), preset.rfind("~f")) << preset;
        EXPECT_EQ(last_number, voice_base_pitch(i)) << preset;
        EXPECT_STREQ(voice_catalogue[i].name, voice_table()[i].name);
        EXPECT_EQ(std::strncmp(voice_catalogue[i].rate_escape, "~r", 2), 0);
    }
}

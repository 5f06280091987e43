#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/voice_table.h"

using namespace Orvane::engine;

TEST(VoiceTable, FemaleVoicesAreExactlyTheFive) {
    std::set<int> female;
    for (int i = 0; i < voice_table_size; ++i)
        if (voice_is_female(i)) female.insert(i);
    EXPECT_EQ(female, (std::set<int>{1, 3, 6, 11, 12}));
    EXPECT_TRUE(voice_is_female(12)) << "Greta";
    EXPECT_FALSE(voice_is_female(13)) << "Quill";
    EXPECT_FALSE(voice_is_female(14));
    EXPECT_FALSE(voice_is_female(-1));
}

TEST(VoiceTable, EntryIDescribesVoiceIndexI) {
    for (int i = 0; i < voice_table_size; ++i) {
        EXPECT_EQ(voice_table()[i].index, i);
        EXPECT_EQ(find_voice(i), &voice_table()[i]);
    }
    EXPECT_EQ(find_voice(14), nullptr);
    EXPECT_EQ(find_voice(-1), nullptr);
    EXPECT_STREQ(voice_table()[0].name, "Tobin");
    EXPECT_STREQ(voice_table()[12].name, "Greta");
    EXPECT_STREQ(voice_table()[13].name, "Quill");
}

TEST(VoiceTable, NamesAreUniqueIgnoringCaseAndFitTheWireField) {
    std::set<std::string> folded;
    for (int i = 0; i < voice_table_size; ++i) {
        std::string name = voice_table()[i].name;
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), 31u);
        for (char& c : name) c = char(tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(folded.insert(name).second) << name;
    }
}

TEST(VoiceTable, LookupByNameIgnoresAsciiCase) {
    struct { const char* name; int index; } cases[] = {
        {"Lyra", 1}, {"lyra", 1}, {"LYRA", 1}, {"nIGHTSHADE", 10}, {"Quill", 13},
        {"Lyr", -1}, {"Lyras", -1}, {"", -1}, {nullptr, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(find_voice_by_name(c.name), c.index) << (c.name ? c.name : "(null)");
}

TEST(VoiceTable, BasePitches) {
    const int expected[] = {80, 175, 65, 150, 90, 115, 230, 60, 60, 80, 47, 350, 300, 60};
    for (int i = 0; i < voice_table_size; ++i) EXPECT_EQ(voice_base_pitch(i), expected[i]) << i;
    EXPECT_EQ(voice_base_pitch(14), 100);
    EXPECT_EQ(voice_base_pitch(-1), 100);
}

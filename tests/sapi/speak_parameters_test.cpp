#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sapi/speak_parameters.h"

using namespace Orvane::sapi;

TEST(SpeakParameters, RateAndSpeedAcrossTheWholeRange) {
    struct { long fragment, site; int rate; float speed; } cases[] = {
        {0, 0, 0, 1.0f},     {-8, 0, 100, 1.0f},  {-4, 0, 50, 1.0f},  {4, 0, -50, 1.0f},
        {8, 0, -100, 1.0f},  {0, 8, -100, 1.0f},  {-2, -2, 50, 1.0f}, {2, -2, 0, 1.0f},
        {-9, 0, 100, std::pow(2.0f, -1.0f / 8)}, {-10, 0, 100, std::pow(2.0f, -2.0f / 8)},
        {9, 0, -100, std::pow(2.0f, 1.0f / 8)},  {10, 0, -100, std::pow(2.0f, 2.0f / 8)},
        {10, 10, -100, std::pow(2.0f, 2.0f / 8)},            // clamped to 10
        {-30, -7, 100, std::pow(2.0f, -2.0f / 8)},           // clamped to -10
        {0x7fffffffL, 0x7fffffffL, -100, std::pow(2.0f, 2.0f / 8)},  // no overflow
    };
    for (const auto& c : cases) {
        const rate_and_speed result = compute_rate(c.fragment, c.site);
        EXPECT_EQ(result.rate, c.rate) << c.fragment << " + " << c.site;
        EXPECT_NEAR(result.speed, c.speed, 1e-5) << c.fragment << " + " << c.site;
    }
    // Odd sums land next to a half-way value; either neighbour is acceptable.
    const int odd = compute_rate(-1, 0).rate;
    EXPECT_TRUE(odd == 12 || odd == 13) << odd;
}

TEST(SpeakParameters, VolumeTruncatesTowardZero) {
    struct { unsigned short site; unsigned long fragment; int volume; } cases[] = {
        {100, 100, 0}, {100, 50, -25}, {51, 100, -24}, {0, 0, -100}, {0, 100, -50}, {99, 99, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(compute_volume(c.site, c.fragment), c.volume) << c.site << "/" << c.fragment;
}

TEST(SpeakParameters, PitchFollowsTheMiddleAdjustment) {
    struct { int base; long middle; int pitch; } cases[] = {
        {80, 0, 80},   {80, -10, 64},  {80, 10, 120}, {80, 25, 400}, {80, -25, 45},
        {350, -10, 154}, {350, 10, 362}, {350, 25, 400}, {350, -25, 45}, {100, 0, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(compute_pitch(c.base, c.middle), c.pitch) << c.base << " " << c.middle;
    // Far outside SAPI's range the value stays a defined int.
    EXPECT_GT(compute_pitch(80, 100000), 400);
    EXPECT_GE(compute_pitch(80, -100000), 0);
}

TEST(SpeakParameters, BookmarkValues) {
    struct { std::wstring text; int value; } cases[] = {
        {L"12abc", 12}, {L" -7", -7}, {L"abc", 0}, {L"99999999999", 0}, {L"", 0},
        {L"+5", 5}, {L"2147483647", 2147483647}, {L"-2147483648", -2147483647 - 1}, {L"2147483648", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bookmark_value(c.text.c_str(), static_cast<unsigned long>(c.text.size())), c.value);
    EXPECT_EQ(bookmark_value(nullptr, 3), 0);
    // Only the fragment's units count, not what follows them in memory.
    EXPECT_EQ(bookmark_value(L"12345", 2), 12);
}

TEST(SpeakParameters, WordScanning) {
    struct { std::wstring text; std::vector<std::pair<unsigned long, unsigned long>> words; } cases[] = {
        {L"don't stop-now, 42", {{0, 5}, {6, 8}, {16, 2}}},
        {L"a - b", {{0, 1}, {2, 1}, {4, 1}}},
        {L" ,.;!? ", {}},
        {L"", {}},
        {L"end", {{0, 3}}},
        {L"  two  spaces ", {{2, 3}, {7, 6}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<unsigned long, unsigned long>> found;
        for (const word_span& w : scan_words(c.text.c_str(), static_cast<unsigned long>(c.text.size())))
            found.emplace_back(w.offset, w.length);
        EXPECT_EQ(found, c.words) << std::string(c.text.begin(), c.text.end());
    }
    EXPECT_TRUE(scan_words(nullptr, 4).empty());
    // The scan stops at the fragment's length even inside a longer buffer.
    const auto words = scan_words(L"hello world", 3);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].length, 3u);
}

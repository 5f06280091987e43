#include <gtest/gtest.h>

#include "standins/sapi_host/fragment_list.h"

using namespace Orvane::sapi_host;

namespace {
std::string narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }
}

TEST(FragmentList, PlainTextIsOneSpokenFragment) {
    auto fragments = plain_fragments(L"Hello <there> & you");
    ASSERT_EQ(fragments.size(), 1u);
    EXPECT_EQ(fragments[0].action, fragment_action::speak);
    EXPECT_EQ(narrow(fragments[0].text), "Hello <there> & you");
    EXPECT_EQ(fragments[0].source_offset, 0u);
    EXPECT_EQ(fragments[0].state.volume, 100u);
    EXPECT_TRUE(plain_fragments(L"").empty());
}

TEST(FragmentList, XmlMarkupBecomesFragmentsWithSourceOffsets) {
    const std::wstring text =
        L"Hi <bookmark mark=\"12abc\"/>there<rate speed=\"5\">fast <pitch middle=\"-3\">low</pitch></rate>"
        L"<silence msec=\"250\"/><volume level=\"40\">quiet</volume> <spell>abc</spell>&amp;";
    auto f = xml_fragments(text);
    struct expected {
        fragment_action action;
        const char* text;
        size_t offset;
        long rate;
        unsigned long volume;
        long middle;
    } rows[] = {
        {fragment_action::speak, "Hi ", 0, 0, 100, 0},
        {fragment_action::bookmark, "12abc", text.find(L"<bookmark"), 0, 100, 0},
        {fragment_action::speak, "there", text.find(L"there"), 0, 100, 0},
        {fragment_action::speak, "fast ", text.find(L"fast"), 5, 100, 0},
        {fragment_action::speak, "low", text.find(L"low"), 5, 100, -3},
        {fragment_action::silence, "", text.find(L"<silence"), 0, 100, 0},
        {fragment_action::speak, "quiet", text.find(L"quiet"), 0, 40, 0},
        {fragment_action::speak, " ", text.find(L"</volume>") + 9, 0, 100, 0},
        {fragment_action::spell_out, "abc", text.find(L"abc</spell>"), 0, 100, 0},
        {fragment_action::speak, "&", text.find(L"&amp;"), 0, 100, 0},
    };
    ASSERT_EQ(f.size(), std::size(rows));
    for (size_t i = 0; i < f.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f[i].action, rows[i].action);
        EXPECT_EQ(narrow(f[i].text), rows[i].text);
        EXPECT_EQ(f[i].source_offset, rows[i].offset);
        EXPECT_EQ(f[i].state.rate_adj, rows[i].rate);
        EXPECT_EQ(f[i].state.volume, rows[i].volume);
        EXPECT_EQ(f[i].state.middle_adj, rows[i].middle);
    }
    EXPECT_EQ(f[5].silence_ms, 250u);
}

TEST(FragmentList, AbsoluteAndSelfClosingStateTags) {
    auto f = xml_fragments(L"<rate absspeed=\"-4\"/>a<rate speed=\"20\">b</rate><pitch absmiddle=\"7\"/>c");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].state.rate_adj, -4);
    EXPECT_EQ(f[1].state.rate_adj, 10) << "clamped";
    EXPECT_EQ(f[2].state.rate_adj, -4);
    EXPECT_EQ(f[2].state.middle_adj, 7);
}

TEST(FragmentList, BadMarkupIsReportedWithItsOffset) {
    const wchar_t* bad[] = {
        L"<rate speed=\"x\">a</rate>", L"<bogus/>", L"a</rate>", L"<rate speed=\"1\">a</pitch>",
        L"<bookmark/>", L"<silence msec=\"1\"", L"&nbsp;", L"<rate speed=1>", L"<!-- open", L"<",
    };
    for (const wchar_t* text : bad) EXPECT_THROW(xml_fragments(text), xml_error) << narrow(text);
    try {
        xml_fragments(L"ok <bogus/>");
        FAIL();
    } catch (const xml_error& e) {
        EXPECT_EQ(e.offset, 3u);
    }
}

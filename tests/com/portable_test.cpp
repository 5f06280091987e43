#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "com/out_ptr.h"
#include "utils/ascii_compare.h"

using namespace Orvane::utils;

namespace {

std::vector<void*> freed;
void record_free(void* p) { freed.push_back(p); }

}  // namespace

TEST(OutPtr, FreesWhatItHoldsOnResetPutAndDestructionExactlyOnce) {
    freed.clear();
    int a = 0, b = 0;
    {
        out_ptr<int> owner(&record_free);
        EXPECT_EQ(owner.get(), nullptr);
        *owner.put() = &a;
        EXPECT_EQ(owner.get(), &a);
        *owner.put() = &b;  // a fresh output frees the previous buffer
        EXPECT_EQ(freed, std::vector<void*>{&a});
        owner.reset();
        owner.reset();
        EXPECT_EQ(freed, (std::vector<void*>{&a, &b}));
        *owner.put() = &a;
    }
    EXPECT_EQ(freed, (std::vector<void*>{&a, &b, &a}));
}

TEST(OutPtr, EmptyOwnerNeverCallsTheFreeFunction) {
    freed.clear();
    { out_ptr<wchar_t> owner(&record_free); }
    {
        out_ptr<wchar_t> owner(&record_free);
        owner.put();  // callee failed and stored nothing
    }
    EXPECT_TRUE(freed.empty());
}

TEST(AsciiCompare, FoldsOnlyAsciiLetters) {
    struct {
        const wchar_t* a;
        const wchar_t* b;
        int sign;
    } cases[] = {
        {L"Gender", L"gENDER", 0},
        {L"CLSID", L"clsid", 0},
        {L"", L"", 0},
        {L"Age", L"Agee", -1},
        {L"Name", L"Language", 1},
        {L"a", L"B", -1},  // folded: 'a' < 'b', unlike a plain compare
        {L"_", L"a", -1},  // '_' (0x5F) sorts before letters once they are folded
        {L"\u00C4", L"\u00E4", -1},  // non-ASCII letters are not folded
        {L"Z", L"\u00E0", -1},
    };
    for (const auto& c : cases) {
        const int r = ascii_icompare(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << "case " << (&c - cases);
        const int back = ascii_icompare(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << "case " << (&c - cases);
    }
    // Bytes fold the same way; UTF-8 bytes above 0x7F compare unsigned.
    struct {
        const char* a;
        const char* b;
        int sign;
    } byte_cases[] = {{"Lyra", "lYRA", 0}, {"a", "B", -1}, {"\xC3\x84", "\xC3\xA4", -1}, {"z", "\xC3\xA0", -1}};
    for (const auto& c : byte_cases) {
        const int r = ascii_icompare(std::string_view(c.a), std::string_view(c.b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << "byte case " << (&c - byte_cases);
    }
}

TEST(AsciiCompare, MapKeysDifferingOnlyInCaseAreOneEntryInFoldedOrder) {
    ascii_imap map;
    for (const wchar_t* name : {L"Vendor", L"age", L"Name", L"GENDER", L"Language", L"AGE"}) map[name] = name;
    std::vector<std::wstring> names;
    for (const auto& [name, value] : map) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"age", L"GENDER", L"Language", L"Name", L"Vendor"}));
    EXPECT_EQ(map[L"Age"], L"AGE");
    EXPECT_NE(map.find(std::wstring_view(L"gender")), map.end());
}

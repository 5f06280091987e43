#include "utils/ascii_compare.h"

#include <algorithm>
#include <cstdint>

namespace Orvane::utils {
namespace {

uint32_t fold(wchar_t c) {
    // wchar_t is signed on some platforms; compare as unsigned code units.
    uint32_t u = static_cast<uint32_t>(c) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

uint32_t fold(char c) { return fold(wchar_t(static_cast<unsigned char>(c))); }

template <typename Text>
int compare_folded(Text a, Text b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint32_t x = fold(a[i]), y = fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int ascii_icompare(std::wstring_view a, std::wstring_view b) { return compare_folded(a, b); }

int ascii_icompare(std::string_view a, std::string_view b) { return compare_folded(a, b); }

}  // namespace Orvane::utils

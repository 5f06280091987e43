#pragma once
// Case-insensitive ordering of value names as the registry and SAPI's data
// keys see them: ASCII letters fold to lower case, everything else compares
// by code unit. Portable.

#include <map>
#include <string>
#include <string_view>

namespace Orvane::utils {

// <0, 0 or >0, like _wcsicmp in the "C" locale.
int ascii_icompare(std::wstring_view a, std::wstring_view b);
// The same for bytes (ASCII and UTF-8 names): only A-Z fold.
int ascii_icompare(std::string_view a, std::string_view b);

struct ascii_iless {
    bool operator()(std::wstring_view a, std::wstring_view b) const { return ascii_icompare(a, b) < 0; }
    using is_transparent = void;
};

using ascii_imap = std::map<std::wstring, std::wstring, ascii_iless>;

}  // namespace Orvane::utils

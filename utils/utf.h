#pragma once
// The one conversion between UTF-8 and UTF-16.

#include <string>
#include <string_view>

namespace Orvane::utils {

// UTF-8 to UTF-16; invalid sequences become U+FFFD, empty gives empty.
std::wstring utf8_to_wide(std::string_view text);

// Strict: false (and `out` untouched) when `text` is not valid UTF-8.
bool utf8_to_wide_checked(std::string_view text, std::wstring& out);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string wide_to_utf8(std::wstring_view text);

}  // namespace Orvane::utils

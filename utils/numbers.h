#pragma once
// Numbers from command-line words: the whole word must be the number.
// Portable.

#include <cstdint>
#include <string_view>

namespace Orvane::utils {

// A decimal integer that fits 32 bits; false otherwise.
bool parse_int32(std::string_view text, int32_t& value);

// A finite number above zero; false otherwise.
bool parse_positive_float(std::string_view text, float& value);

}  // namespace Orvane::utils

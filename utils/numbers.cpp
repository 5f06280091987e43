#include "utils/numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace Orvane::utils {

bool parse_int32(std::string_view text, int32_t& value) {
    const std::string word(text);
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = int32_t(parsed);
    return true;
}

bool parse_positive_float(std::string_view text, float& value) {
    const std::string word(text);
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const float parsed = std::strtof(word.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed <= 0.0f) return false;
    value = parsed;
    return true;
}

}  // namespace Orvane::utils

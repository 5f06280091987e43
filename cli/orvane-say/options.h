#pragma once
// orvane-say's command line.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Orvane::say {

struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct options {
    bool list = false;
    std::wstring voice;   // by name, ASCII case ignored
    std::wstring gender;  // "female" or "male"
    long rate = 0;        // -10..10, the site's rate
    int volume = 100;     // 0..100, the site's volume
    long pitch = 0;       // -25..25, the middle adjustment of every fragment
    bool xml = false;
    bool events = false;
    std::wstring out;
    std::optional<std::wstring> text;
    std::optional<std::wstring> file;
};

extern const char usage_line[];

// Throws usage_error with a one-line reason.
options parse_options(const std::vector<std::wstring>& args);

}  // namespace Orvane::say

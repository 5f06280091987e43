#pragma once
// Command line of orvane-pipe-say.

#include <cstdint>
#include <optional>
#include <string>

namespace Orvane::cli {

enum class action { speak, list, shutdown };

struct options {
    action what = action::speak;
    std::string voice = "0";  // index or name
    int32_t rate = 0;
    float speed = 1.0f;
    int32_t volume = 0;
    int32_t pitch = -1;
    std::string out;
    std::string text;
};

// Empty with `error` set when the command line is not usable.
std::optional<options> parse_options(int argc, char** argv, std::string& error);

extern const char* const usage;

}  // namespace Orvane::cli

#pragma once
// Command line of orvane-wav, parsed without any Windows API.

#include <optional>
#include <string>
#include <vector>

namespace Orvane::utils {

struct wav_options {
    int voice = -1;
    int rate = 0;
    float speed = 1.0f;
    int volume = 0;
    int pitch = -1;
    std::string out;
    std::string text;
};

constexpr const char* wav_usage =
    "usage: orvane-wav32 --voice N|NAME [--rate R] [--speed S] [--volume V] [--pitch P] --out FILE.wav TEXT";

// The options, or nullopt with `error` saying what is wrong.
std::optional<wav_options> parse_wav_options(const std::vector<std::string>& args, std::string& error);

}  // namespace Orvane::utils

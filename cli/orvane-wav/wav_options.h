#pragma once
// Command line of orvane-wav, parsed without any Windows API.

#include <optional>
#include <string>
#include <vector>

#include "engine/synthesis.h"

namespace Orvane::cli {

struct wav_options {
    engine::synthesis_request request{"", -1};  // the voice must be given
    std::string out;
};

constexpr const char* wav_usage =
    "usage: orvane-wav32 --voice N|NAME [--rate R] [--speed S] [--volume V] [--pitch P] --out FILE.wav TEXT";

// The options, or nullopt with `error` saying what is wrong.
std::optional<wav_options> parse_wav_options(const std::vector<std::string>& args, std::string& error);

}  // namespace Orvane::cli

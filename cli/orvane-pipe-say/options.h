#pragma once
// Command line of orvane-pipe-say.

#include <optional>
#include <string>

#include "engine/synthesis.h"

namespace Orvane::cli {

enum class action { speak, list, shutdown };

struct options {
    action what = action::speak;
    std::string voice = "0";             // index or name; looked up to fill request.voice_index
    engine::synthesis_request request;  // text and values
    std::string out;
};

// Empty with `error` set when the command line is not usable.
std::optional<options> parse_options(int argc, char** argv, std::string& error);

extern const char* const usage;

}  // namespace Orvane::cli

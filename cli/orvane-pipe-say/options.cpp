#include "cli/orvane-pipe-say/options.h"

#include <cstring>

#include "utils/numbers.h"

namespace Orvane::cli {

const char* const usage =
    "usage: orvane-pipe-say [--voice N|NAME] [--rate R] [--speed S] [--volume V] [--pitch P] --out FILE.wav TEXT\n"
    "       orvane-pipe-say --list\n"
    "       orvane-pipe-say --shutdown\n";

std::optional<options> parse_options(int argc, char** argv, std::string& error) {
    options result;
    bool have_text = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool has_value = i + 1 < argc;
        auto value_of = [&](const char* name) -> const char* {
            if (!has_value) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (!std::strcmp(arg, "--list")) {
            result.what = action::list;
        } else if (!std::strcmp(arg, "--shutdown")) {
            result.what = action::shutdown;
        } else if (!std::strcmp(arg, "--voice") || !std::strcmp(arg, "--out")) {
            const char* value = value_of(arg);
            if (!value) return std::nullopt;
            (arg[2] == 'v' ? result.voice : result.out) = value;
        } else if (!std::strcmp(arg, "--rate") || !std::strcmp(arg, "--volume") || !std::strcmp(arg, "--pitch")) {
            const char* value = value_of(arg);
            engine::synthesis_request& r = result.request;
            int32_t& target = arg[2] == 'r' ? r.rate : arg[4] == 'l' ? r.volume : r.pitch;
            if (!value || !utils::parse_int32(value, target)) {
                if (error.empty()) error = std::string("bad number for ") + arg;
                return std::nullopt;
            }
        } else if (!std::strcmp(arg, "--speed")) {
            const char* value = value_of(arg);
            if (!value || !utils::parse_positive_float(value, result.request.speed)) {
                if (error.empty()) error = "bad --speed (a positive number)";
                return std::nullopt;
            }
        } else if (arg[0] == '-' && arg[1] == '-') {
            error = std::string("unknown option ") + arg;
            return std::nullopt;
        } else if (!have_text) {
            result.request.text = arg;
            have_text = true;
        } else {
            error = "only one TEXT argument";
            return std::nullopt;
        }
    }
    if (result.what == action::speak && (result.out.empty() || !have_text)) {
        error = "speaking needs --out FILE and TEXT";
        return std::nullopt;
    }
    return result;
}

}  // namespace Orvane::cli

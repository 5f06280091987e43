#include "cli/orvane-pipe-say/options.h"

#include <string_view>

#include "utils/numbers.h"

namespace Orvane::cli {

const char* const usage =
    "usage: orvane-pipe-say [--voice N|NAME] [--rate R] [--speed S] [--volume V] [--pitch P] --out FILE.wav TEXT\n"
    "       orvane-pipe-say --list\n"
    "       orvane-pipe-say --shutdown\n";

namespace {

std::string* text_option(options& o, std::string_view name) {
    if (name == "--voice") return &o.voice;
    if (name == "--out") return &o.out;
    return nullptr;
}

int32_t* number_option(engine::synthesis_request& r, std::string_view name) {
    if (name == "--rate") return &r.rate;
    if (name == "--volume") return &r.volume;
    if (name == "--pitch") return &r.pitch;
    return nullptr;
}

}  // namespace

std::optional<options> parse_options(int argc, char** argv, std::string& error) {
    options result;
    bool have_text = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value_of = [&]() -> const char* {
            if (i + 1 < argc) return argv[++i];
            error = std::string(arg) + " needs a value";
            return nullptr;
        };
        if (arg == "--list") {
            result.what = action::list;
        } else if (arg == "--shutdown") {
            result.what = action::shutdown;
        } else if (std::string* text = text_option(result, arg)) {
            const char* value = value_of();
            if (!value) return std::nullopt;
            *text = value;
        } else if (int32_t* number = number_option(result.request, arg)) {
            const char* value = value_of();
            if (!value) return std::nullopt;
            if (!utils::parse_int32(value, *number)) {
                error = "bad number for " + std::string(arg);
                return std::nullopt;
            }
        } else if (arg == "--speed") {
            const char* value = value_of();
            if (!value) return std::nullopt;
            if (!utils::parse_positive_float(value, result.request.speed)) {
                error = "bad --speed (a positive number)";
                return std::nullopt;
            }
        } else if (arg.substr(0, 2) == "--") {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        } else if (!have_text) {
            result.request.text = std::string(arg);
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

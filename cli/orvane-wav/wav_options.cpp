#include "cli/orvane-wav/wav_options.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "engine/voice_table.h"

namespace Orvane::utils {

namespace {

bool parse_int(const std::string& text, int& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parse_speed(const std::string& text, float& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed) || parsed <= 0.0f) return false;
    value = parsed;
    return true;
}

bool parse_voice(const std::string& text, int& value) {
    int index = -1;
    if (parse_int(text, index)) {
        if (!engine::find_voice(index)) return false;
        value = index;
        return true;
    }
    value = engine::find_voice_by_name(text.c_str());
    return value >= 0;
}

}  // namespace

std::optional<wav_options> parse_wav_options(const std::vector<std::string>& args, std::string& error) {
    wav_options options;
    bool have_voice = false;
    bool have_text = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            bool ok = true;
            if (arg == "--voice") ok = have_voice = parse_voice(value, options.voice);
            else if (arg == "--rate") ok = parse_int(value, options.rate);
            else if (arg == "--speed") ok = parse_speed(value, options.speed);
            else if (arg == "--volume") ok = parse_int(value, options.volume);
            else if (arg == "--pitch") ok = parse_int(value, options.pitch);
            else if (arg == "--out") ok = !(options.out = value).empty();
            else {
                error = "unknown option " + arg;
                return std::nullopt;
            }
            if (!ok) {
                error = "bad value for " + arg + ": \"" + value + "\"";
                return std::nullopt;
            }
        } else if (!have_text) {
            options.text = arg;
            have_text = true;
        } else {
            error = "more than one text given";
            return std::nullopt;
        }
    }
    if (!have_voice) error = "--voice is required";
    else if (options.out.empty()) error = "--out is required";
    else if (!have_text) error = "no text given";
    else return options;
    return std::nullopt;
}

}  // namespace Orvane::utils

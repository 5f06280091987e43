#include "cli/orvane-wav/wav_options.h"

#include "engine/voice_table.h"
#include "utils/numbers.h"

namespace Orvane::cli {

namespace {

bool parse_voice(const std::string& text, int32_t& value) {
    int32_t index = -1;
    if (utils::parse_int32(text, index)) {
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
            engine::synthesis_request& r = options.request;
            if (arg == "--voice") ok = have_voice = parse_voice(value, r.voice_index);
            else if (arg == "--rate") ok = utils::parse_int32(value, r.rate);
            else if (arg == "--speed") ok = utils::parse_positive_float(value, r.speed);
            else if (arg == "--volume") ok = utils::parse_int32(value, r.volume);
            else if (arg == "--pitch") ok = utils::parse_int32(value, r.pitch);
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
            options.request.text = arg;
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

}  // namespace Orvane::cli

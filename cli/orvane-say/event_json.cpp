#include "cli/orvane-say/event_json.h"

#include <cstdio>

#include "utils/utf.h"

namespace Orvane::say {
namespace {

const char* event_name(SPEVENTENUM id) {
    switch (id) {
        case SPEI_WORD_BOUNDARY: return "word";
        case SPEI_SENTENCE_BOUNDARY: return "sentence";
        case SPEI_TTS_BOOKMARK: return "bookmark";
        default: return "other";
    }
}

std::string json_string(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

}  // namespace

std::string event_json(const sapi_host::recorded_event& e) {
    const bool has_text = e.lparam_type == SPET_LPARAM_IS_STRING;
    const long long wparam = e.id == SPEI_TTS_BOOKMARK ? static_cast<long long>(static_cast<LONG_PTR>(e.wparam))
                                                       : static_cast<long long>(e.wparam);
    const long long lparam = has_text ? 0 : static_cast<long long>(e.lparam);
    std::string line = std::string("{\"event\":\"") + event_name(e.id) + "\",\"offset\":" +
                       std::to_string(e.audio_offset) + ",\"wparam\":" + std::to_string(wparam) +
                       ",\"lparam\":" + std::to_string(lparam);
    if (has_text) line += ",\"text\":" + json_string(utils::wide_to_utf8(e.text));
    return line + "}";
}

}  // namespace Orvane::say

#include "engine/voice_table.h"

namespace Orvane::engine {
namespace {

const voice_info table[] = {
#define ORVANE_VOICE(index, name, female, preset, rate_escape, base_pitch) {name, index, female, base_pitch},
#include "engine/voices.def"
#undef ORVANE_VOICE
};
static_assert(sizeof(table) / sizeof(table[0]) == voice_table_size);

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equal_ignoring_ascii_case(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (ascii_lower(*a) != ascii_lower(*b)) return false;
    return *a == *b;
}

}  // namespace

const voice_info* voice_table() { return table; }

const voice_info* find_voice(int index) {
    return (static_cast<unsigned>(index) < static_cast<unsigned>(voice_table_size)) ? &table[index] : nullptr;
}

int find_voice_by_name(const char* name) {
    if (!name) return -1;
    for (const auto& voice : table)
        if (equal_ignoring_ascii_case(voice.name, name)) return voice.index;
    return -1;
}

bool voice_is_female(int index) {
    const voice_info* voice = find_voice(index);
    return voice && voice->female;
}

int voice_base_pitch(int index) {
    const voice_info* voice = find_voice(index);
    return voice ? voice->base_pitch : 100;
}

}  // namespace Orvane::engine

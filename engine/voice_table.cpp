#include "engine/voice_table.h"

#include <string_view>

#include "utils/ascii_compare.h"

namespace Orvane::engine {
namespace {

const voice_info table[] = {
#define ORVANE_VOICE(index, name, female, preset, rate_escape, base_pitch) {name, index, female, base_pitch},
#include "engine/voices.def"
#undef ORVANE_VOICE
};
static_assert(sizeof(table) / sizeof(table[0]) == voice_table_size);

}  // namespace

const voice_info* voice_table() { return table; }

const voice_info* find_voice(int index) {
    return (static_cast<unsigned>(index) < static_cast<unsigned>(voice_table_size)) ? &table[index] : nullptr;
}

int find_voice_by_name(const char* name) {
    if (!name) return -1;
    for (const auto& voice : table)
        if (utils::ascii_icompare(std::string_view(voice.name), std::string_view(name)) == 0) return voice.index;
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

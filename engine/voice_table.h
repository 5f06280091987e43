#pragma once
// Names, genders and base pitches of the fourteen voices: what every
// deliverable needs, including the 64-bit library, which has no presets.

namespace Orvane::engine {

struct voice_info {
    const char* name;
    int index;
    bool female;
    int base_pitch;   // the number after "~f" in the voice's preset
};

constexpr int voice_table_size = 14;

// The voices in catalogue order; entry i describes voice index i.
const voice_info* voice_table();

// The entry of a voice index, or null outside 0..13.
const voice_info* find_voice(int index);

// Index of the first voice whose name equals `name` ignoring ASCII case, or -1.
int find_voice_by_name(const char* name);

bool voice_is_female(int index);

// Base pitch of a voice; 100 for an index outside 0..13.
int voice_base_pitch(int index);

}  // namespace Orvane::engine

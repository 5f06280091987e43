#pragma once
// The voice catalogue as the engine driver sees it: name, preset escape
// string and rate escape string per voice, closed by an all-null row.

namespace Orvane::engine {

struct catalogue_entry {
    const char* name;
    const char* preset;       // escape items put in front of every text
    const char* rate_escape;  // kept with the voice; never sent
};

// Fourteen rows followed by the terminating row {nullptr, nullptr, nullptr}.
extern const catalogue_entry voice_catalogue[];

// Number of rows before the terminating row.
int voice_count();

// Names in table order followed by a null pointer; built once and reused.
// `count`, when given, receives the number of names.
const char* const* voice_names(int* count = nullptr);

// The row of a voice index, or null unless 0 <= index < voice_count().
const catalogue_entry* catalogue_row(int index);

}  // namespace Orvane::engine

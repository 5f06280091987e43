#pragma once
// What the legacy engine is asked to say: the voice's preset escape items
// (pitch optionally rewritten) followed directly by the normalised text.

#include <string>
#include <string_view>

namespace Orvane::engine {

constexpr int min_pitch = 45;
constexpr int max_pitch = 600;

// Replaces the number of the first "~f...]" item by `pitch` clamped to
// min_pitch..max_pitch. A negative pitch, or no complete item, leaves the
// preset as it is.
std::string with_pitch(std::string preset, int pitch);

// Preset of `voice_index` (pitch applied) plus `normalised_text`; the text
// alone when the index is not a catalogue voice.
std::string build_utterance(std::string_view normalised_text, int voice_index, int pitch);

}  // namespace Orvane::engine

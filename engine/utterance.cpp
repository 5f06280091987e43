#include "engine/utterance.h"

#include <algorithm>

#include "engine/catalogue.h"

namespace Orvane::engine {

std::string with_pitch(std::string preset, int pitch) {
    if (pitch < 0) return preset;
    const std::size_t start = preset.find("~f");
    if (start == std::string::npos) return preset;
    const std::size_t end = preset.find(']', start);
    if (end == std::string::npos) return preset;
    const int clamped = std::clamp(pitch, min_pitch, max_pitch);
    preset.replace(start, end - start + 1, "~f" + std::to_string(clamped) + "]");
    return preset;
}

std::string build_utterance(std::string_view normalised_text, int voice_index, int pitch) {
    const catalogue_entry* row = catalogue_row(voice_index);
    if (!row) return std::string(normalised_text);
    std::string utterance = with_pitch(row->preset, pitch);
    utterance.append(normalised_text);
    return utterance;
}

}  // namespace Orvane::engine

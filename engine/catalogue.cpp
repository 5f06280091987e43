#include "engine/catalogue.h"

#include <cstddef>
#include <vector>

namespace Orvane::engine {

const catalogue_entry voice_catalogue[] = {
#define ORVANE_VOICE(index, name, female, preset, rate_escape, base_pitch) {name, preset, rate_escape},
#include "engine/voices.def"
#undef ORVANE_VOICE
    {nullptr, nullptr, nullptr},
};

namespace {
// The rows before the terminating one; fixed when the table is compiled.
constexpr int row_count = int(sizeof(voice_catalogue) / sizeof(voice_catalogue[0])) - 1;
}  // namespace

int voice_count() { return row_count; }

const char* const* voice_names(int* count) {
    static const std::vector<const char*> names = [] {
        std::vector<const char*> list;
        list.reserve(static_cast<std::size_t>(voice_count()) + 1);
        for (int i = 0; i < voice_count(); ++i) list.push_back(voice_catalogue[i].name);
        list.push_back(nullptr);
        return list;
    }();
    if (count) *count = static_cast<int>(names.size()) - 1;
    return names.data();
}

const catalogue_entry* catalogue_row(int index) {
    return (index >= 0 && index < voice_count()) ? &voice_catalogue[index] : nullptr;
}

}  // namespace Orvane::engine

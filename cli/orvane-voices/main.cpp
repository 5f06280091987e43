// Prints the voices as this build of the product knows them.
#include <cstdio>

#include "engine/voice_table.h"

int main() {
    using namespace Orvane::engine;
    std::printf("%d-bit build: %d voices\n", int(sizeof(void*) * 8), voice_table_size);
    for (int i = 0; i < voice_table_size; ++i) {
        const voice_info& voice = voice_table()[i];
        std::printf("%2d  %-10s  %-6s  base pitch %d Hz\n", voice.index, voice.name,
                    voice.female ? "female" : "male", voice.base_pitch);
    }
    return 0;
}

#pragma once
// An audio callback that times a request: when its first block came, how
// many bytes arrived, and optionally a copy of every block.

#include <cstdint>
#include <vector>

#include "bench/results.h"
#include "engine/synthesis.h"

namespace Orvane::bench {

struct audio_probe {
    clock_type::time_point start = clock_type::now();
    clock_type::time_point first{};
    bool any = false;
    uint64_t bytes = 0;
    uint64_t blocks = 0;                   // callback calls that brought audio
    std::vector<uint8_t>* keep = nullptr;  // every block appended here when set
    bool refuse_after_first = false;       // only the first block is wanted
    bool refuse_all = false;               // no block is wanted

    static bool take(const void* data, uint32_t byte_count, void* context);

    double first_audio_ms() const { return any ? ms_between(start, first) : -1.0; }
};

}  // namespace Orvane::bench

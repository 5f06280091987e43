#pragma once
// Shared pieces of the driver tests: where the stand-in engine lives, an
// audio collector, and what the stand-in produces for a request.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine_driver.h"

namespace Orvane::engine::testing {

// Full path of a file next to the running test program.
std::wstring beside_exe(const wchar_t* file_name);

engine_driver_ptr load_standin();

struct collector {
    std::vector<int16_t> samples;
    std::vector<uint32_t> blocks;  // byte count of each delivered block
    int refuse_at = -1;            // index of the call that answers false
    bool throw_at_first = false;
    void (*inside)(collector&) = nullptr;  // runs within every call, on the speaking thread
    int calls = 0;
    uint64_t bytes() const { return samples.size() * 2; }
};

bool collect(const void* data, uint32_t bytes, void* user_data);

using request = synthesis_request;

void speak(engine_driver* driver, collector& sink, const request& r);

// The stand-in's own PCM for the request, computed without any wave output.
std::vector<int16_t> expected_samples(const request& r);

// Sizes of the buffers the stand-in writes for `sample_count` samples.
std::vector<uint32_t> expected_blocks(size_t sample_count);

}  // namespace Orvane::engine::testing

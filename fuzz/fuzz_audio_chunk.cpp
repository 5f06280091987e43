// Audio payloads: the samples handed on lie inside the payload.
#include <cstdlib>
#include <numeric>

#include "pipe/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orvane::pipe;
    audio_chunk chunk;
    if (!decode_audio_chunk(data, size, chunk)) return size < 4 ? 0 : (std::abort(), 0);
    if (chunk.samples != data + 4 || chunk.byte_count > size - 4) std::abort();
    // Touch every byte so that ASan sees any overrun.
    volatile unsigned sum = std::accumulate(chunk.samples, chunk.samples + chunk.byte_count, 0u);
    (void)sum;
    return 0;
}

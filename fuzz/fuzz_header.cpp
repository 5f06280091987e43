// Headers and whole-message reads: never past the input, never a payload
// above the limit, and a whole message only when every byte was there.
#include <cstdlib>

#include "pipe/message_io.h"
#include "tests/pipe/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orvane::pipe;
    message_header header;
    if (decode_header(data, size, header) != (size >= header_size)) std::abort();

    Orvane::testing::memory_stream stream;
    stream.input.assign(data, data + size);
    stream.chunk = size ? data[0] % 7 + 1 : 1;
    std::vector<uint8_t> payload;
    constexpr uint32_t limit = 1024;
    while (stream.read_position < stream.input.size()) {
        const read_result result = read_message(stream, header, payload, limit);
        if (result != read_result::ok) break;
        if (payload.size() != header.length || header.length > limit) std::abort();
    }
    if (stream.read_position > stream.input.size()) std::abort();
    return 0;
}

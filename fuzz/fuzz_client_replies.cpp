// The client's readers over arbitrary server bytes: speak answers (with a
// consumer that refuses now and then) and voice lists, one after another.
#include <cstdlib>

#include "pipe/client_exchange.h"
#include "tests/pipe/memory_stream.h"

namespace {

bool consume(const void* data, uint32_t byte_count, void* context) {
    auto* bytes = static_cast<const volatile uint8_t*>(data);
    unsigned sum = 0;
    for (uint32_t i = 0; i < byte_count; ++i) sum += bytes[i];
    return (sum + ++*static_cast<unsigned*>(context)) % 5 != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orvane::pipe;
    Orvane::testing::memory_stream stream;
    stream.input.assign(data, data + size);
    stream.chunk = size ? data[size - 1] % 9 + 1 : 1;
    unsigned calls = 0;
    for (int round = 0; round < 4 && stream.read_position < stream.input.size(); ++round) {
        exchange_outcome outcome;
        if (round % 2 == 0) {
            outcome = request_speech(stream, speak_request{"fuzz", 0, 0, 1.0f, 0, -1}, consume, &calls);
        } else {
            std::vector<voice_entry> voices;
            outcome = request_voice_list(stream, voices);
            if (!outcome.success && !voices.empty()) std::abort();
        }
        if (!outcome.connection_usable) break;
    }
    if (stream.read_position > stream.input.size()) std::abort();
    return 0;
}

// Speak payloads: an accepted one re-encodes to its own first 24 + text bytes.
#include <cstdlib>
#include <cstring>

#include "pipe/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orvane::pipe;
    speak_request request;
    if (!decode_speak_request(data, size, request)) return 0;
    const std::vector<uint8_t> again = encode_speak_request(request);
    if (again.size() > size || std::memcmp(again.data(), data, again.size()) != 0) std::abort();
    return 0;
}

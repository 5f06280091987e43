// A whole server session over arbitrary client bytes: every reply the
// server writes is a whole, well-formed message, and the payload budget
// is whole again when the session ends.
#include <cstdlib>

#include "server/session.h"
#include "tests/pipe/memory_stream.h"

namespace {

class echo_engine : public Orvane::server::speech_engine {
public:
    bool speak(const Orvane::pipe::speak_request& request, Orvane::engine::audio_callback sink,
               void* sink_data) override {
        // A text starting with '!' finds no engine; otherwise one block per
        // eight text bytes, the text itself as samples.
        if (!request.text.empty() && request.text[0] == '!') return false;
        for (std::size_t at = 0; at < request.text.size(); at += 8) {
            const std::size_t n = std::min<std::size_t>(8, request.text.size() - at);
            if (!sink(request.text.data() + at, uint32_t(n), sink_data)) break;
        }
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Orvane::testing::memory_stream stream;
    stream.input.assign(data, data + size);
    stream.chunk = size ? data[0] % 5 + 1 : 1;
    Orvane::server::server_flags flags;
    echo_engine engine;
    constexpr std::size_t budget_bytes = 3000;
    Orvane::server::payload_budget budget(budget_bytes);
    {
        Orvane::server::payload_charge charge(&budget, 1000);
        Orvane::server::serve_session(stream, flags, engine, &charge);
    }
    if (budget.available() != budget_bytes) std::abort();
    std::vector<Orvane::testing::parsed_message> replies;
    if (!Orvane::testing::parse_messages(stream.output, replies)) std::abort();
    for (const auto& reply : replies)
        if (reply.kind > 5) std::abort();
    return 0;
}

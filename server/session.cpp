#include "server/session.h"

#include <chrono>
#include <vector>

#include "engine/catalogue.h"
#include "engine/voice_table.h"

namespace Orvane::server {

using pipe::encode_header;
using pipe::reply_kind;
using pipe::request_kind;

namespace {

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool pipe_audio_sink(const void* data, uint32_t byte_count, void* user_data) {
    auto& context = *static_cast<sink_context*>(user_data);
    if (context.flags->stop) return false;
    // A block the client would refuse to read is not sent at all.
    if (byte_count > pipe::max_payload_length - pipe::audio_prefix_size) return false;
    return context.batch.offer(*context.stream, data, byte_count, now_ms());
}

bool send_held_audio(sink_context& context) { return context.batch.flush(*context.stream, now_ms()); }

void handle_list_voices(pipe::byte_stream& stream) {
    int count = 0;
    const char* const* names = engine::voice_names(&count);
    pipe::voice_list_payload list;
    for (int i = 0; i < count; ++i) list.entries.push_back(pipe::make_voice_entry(names[i], engine::voice_is_female(i)));
    const std::vector<uint8_t> payload = pipe::encode_voice_list(list);
    pipe::write_message(stream, encode_header(reply_kind::voice_list, uint32_t(payload.size())), payload);
}

void handle_speak(pipe::byte_stream& stream, const std::vector<uint8_t>& payload, server_flags& flags,
                  speech_engine& engine) {
    pipe::speak_request request;
    if (!pipe::decode_speak_request(payload.data(), payload.size(), request)) {
        pipe::write_header(stream, encode_header(reply_kind::error));
        return;
    }
    flags.stop = false;
    sink_context context{&stream, &flags, {}};
    if (!engine.speak(request, pipe_audio_sink, &context)) {
        pipe::write_header(stream, encode_header(reply_kind::error));
        return;
    }
    send_held_audio(context);  // a failure shows at the next read
    pipe::write_header(stream, encode_header(reply_kind::done));
}

namespace {

// Acts on one whole request; write results are not examined, a broken
// connection shows at the next read.
void dispatch(pipe::byte_stream& stream, const pipe::message_header& header, const std::vector<uint8_t>& payload,
              server_flags& flags, speech_engine& engine) {
    switch (header.kind) {
    case uint32_t(request_kind::probe):
        pipe::write_header(stream, encode_header(reply_kind::probe_reply));
        break;
    case uint32_t(request_kind::list_voices):
        handle_list_voices(stream);
        break;
    case uint32_t(request_kind::speak):
        handle_speak(stream, payload, flags, engine);
        break;
    case uint32_t(request_kind::stop):
        flags.stop = true;
        pipe::write_header(stream, encode_header(reply_kind::ack));
        break;
    case uint32_t(request_kind::shutdown):
        pipe::write_header(stream, encode_header(reply_kind::ack));
        flags.quit = true;
        break;
    default:
        pipe::write_header(stream, encode_header(reply_kind::error));
        break;
    }
}

}  // namespace

void serve_session(pipe::byte_stream& stream, server_flags& flags, speech_engine& engine, payload_charge* charge) {
    pipe::message_header header;
    std::vector<uint8_t> payload;
    while (!flags.quit) {
        const pipe::read_result read = pipe::read_message(stream, header, payload, pipe::max_payload_length, charge);
        if (read == pipe::read_result::ok) dispatch(stream, header, payload, flags, engine);
        // Freed before the charge is given back: the budget counts what is held.
        payload = {};
        if (charge) charge->reset();
        if (read != pipe::read_result::ok) return;
    }
}

}  // namespace Orvane::server

#pragma once
// Serving one client connection: read a request, answer it, repeat. Plain
// portable code over a byte stream and a speech engine, so that it runs the
// same against a pipe instance and against an in-memory stream in tests.

#include <cstdint>
#include <vector>

#include "engine/synthesis.h"
#include "pipe/message_io.h"
#include "pipe/protocol.h"
#include "server/audio_batch.h"
#include "server/payload_budget.h"

namespace Orvane::server {

// Whatever turns a speak request into audio blocks on the calling thread.
class speech_engine {
public:
    virtual ~speech_engine() = default;
    // False when nothing could speak at all and no block was given; the
    // client is then answered `error` instead of a silent `done`.
    virtual bool speak(const pipe::speak_request& request, engine::audio_callback sink, void* sink_data) = 0;
};

// One connection's flags.
struct server_flags {
    bool stop = false;  // set by a stop request, cleared by every speak
    bool quit = false;  // set by a shutdown request: the whole server is to end
};

// User data of pipe_audio_sink, for one speak request.
struct sink_context {
    pipe::byte_stream* stream;
    server_flags* flags;
    audio_batch batch;
};

bool pipe_audio_sink(const void* data, uint32_t byte_count, void* user_data);
// Sends what the sink still holds; false when that write failed.
bool send_held_audio(sink_context& context);

void handle_list_voices(pipe::byte_stream& stream);
void handle_speak(pipe::byte_stream& stream, const std::vector<uint8_t>& payload, server_flags& flags,
                  speech_engine& engine);

// Returns when the connection ends: the client closed it, a read failed, a
// header announced more than the server holds, a request did not fit the
// charge's budget, or after a shutdown request. The charge is given back
// after every request.
void serve_session(pipe::byte_stream& stream, server_flags& flags, speech_engine& engine,
                   payload_charge* charge = nullptr);

}  // namespace Orvane::server

// The 64-bit back-end: the process-wide pipe client, shared by every engine
// object of the process, which speaks through the 32-bit speech server.
#include "sapi/speech_backend.h"

#include <vector>

#include "engine/voice_table.h"
#include "sapi/process_pipe_client.h"

namespace Orvane::sapi {

struct speech_backend::state {};

speech_backend::speech_backend() : state_(nullptr) {}
speech_backend::~speech_backend() = default;

bool speech_backend::ensure_ready() { return process_pipe_client() != nullptr; }

bool speech_backend::synthesize(const engine::synthesis_request& request, engine::audio_callback sink,
                                void* context) {
    pipe::pipe_client* client = process_pipe_client();
    return client && client->speak(request, sink, context);
}

// Only resolves the server's path; the client connects on first use.
void speech_backend::attach_library(HMODULE) { create_process_pipe_client(); }

// The server keeps running for the other processes.
void speech_backend::detach_library() { destroy_process_pipe_client(); }

// A running server would keep the old files busy.
void speech_backend::before_unregistration() {
    if (pipe::pipe_client* client = process_pipe_client()) client->shutdown_server();
}

int speech_backend::find_voice(const std::string& name) {
    pipe::pipe_client* client = process_pipe_client();
    std::vector<pipe::voice_entry> voices;
    // Without the server's list the compiled-in table names the same voices:
    // a voice chosen while the server is out of reach must not turn into
    // the first one once it speaks.
    const int index = client && client->list_voices(voices) ? pipe::find_listed_voice(voices, name)
                                                             : engine::find_voice_by_name(name.c_str());
    return index < 0 ? 0 : index;
}

}  // namespace Orvane::sapi

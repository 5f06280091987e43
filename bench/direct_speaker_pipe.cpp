// 64-bit: the process-wide pipe client, which speaks through the server.
#include "bench/direct_speaker.h"

#include <stdexcept>

#include "sapi/process_pipe_client.h"

namespace Orvane::bench {

struct direct_speaker::state {};

direct_speaker::direct_speaker() : state_(new state) {
    if (!sapi::process_pipe_client()) throw std::runtime_error("no process pipe client");
}

direct_speaker::~direct_speaker() = default;

void direct_speaker::speak(const std::string& text, float speed, audio_probe& probe) {
    pipe::pipe_client* client = sapi::process_pipe_client();
    probe.start = clock_type::now();
    if (!client || !client->speak({text, 0, 0, speed, 0, -1}, audio_probe::take, &probe))
        throw std::runtime_error("the speech server did not finish a speak request");
}

const char* direct_speaker::description() { return "pipe_client::speak (64-bit, to a warm server)"; }

}  // namespace Orvane::bench

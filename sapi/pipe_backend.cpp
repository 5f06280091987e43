// The 64-bit back-end: the process-wide pipe client, shared by every engine
// object of the process, which speaks through the 32-bit speech server.
#include "sapi/speech_backend.h"

#include <vector>

#include "com/ascii_compare.h"
#include "sapi/process_pipe_client.h"

namespace Orvane::sapi {

struct speech_backend::state {};

speech_backend::speech_backend() : state_(nullptr) {}
speech_backend::~speech_backend() = default;

bool speech_backend::ensure_ready() { return process_pipe_client() != nullptr; }

void speech_backend::synthesize(const synthesis_values& v, audio_sink sink, void* context) {
    if (pipe::pipe_client* client = process_pipe_client())
        client->speak(v.text, v.voice_index, v.rate, v.speed, v.volume, v.pitch, sink, context);
}

int speech_backend::find_voice(const std::string& name) {
    pipe::pipe_client* client = process_pipe_client();
    std::vector<pipe::voice_entry> voices;
    if (!client || !client->list_voices(voices)) return 0;
    const std::wstring wanted(name.begin(), name.end());
    for (size_t i = 0; i < voices.size(); ++i) {
        const std::string listed = voices[i].name;
        if (utils::ascii_icompare(std::wstring(listed.begin(), listed.end()), wanted) == 0) return int(i);
    }
    return 0;
}

}  // namespace Orvane::sapi

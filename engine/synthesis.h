#pragma once
// What every layer hands on for one utterance, from the SAPI engine through
// the pipe and the server to the legacy engine driver: the request's values,
// in the order the system keeps everywhere, and the receiver of its audio.
// Plain portable types.

#include <cstdint>
#include <string>

namespace Orvane::engine {

// Receives one block of 11025 Hz mono 16-bit PCM. True: taken; false: no
// more audio is wanted for the current request. The bytes live for the call.
using audio_callback = bool (*)(const void* data, uint32_t byte_count, void* user_data);

struct synthesis_request {
    std::string text;         // UTF-8; the legacy engine stops at a NUL
    int32_t voice_index = 0;  // catalogue index; outside 0..13 the text is spoken without a preset
    int32_t rate = 0;         // the legacy engine's parameter 0x101
    float speed = 1.0f;       // time-stretch factor; 1.0 leaves the audio as it is
    int32_t volume = 0;       // the legacy engine's parameter 0x102
    int32_t pitch = -1;       // for the preset's "~f" item; negative keeps the voice's own
};

}  // namespace Orvane::engine

#pragma once
#include <cstdint>

namespace Orvane::engine {

// Receives one block of 11025 Hz mono 16-bit PCM. True: taken; false: no
// more audio is wanted for the current request. The bytes live for the call.
using audio_callback = bool (*)(const void* data, uint32_t byte_count, void* user_data);

}  // namespace Orvane::engine

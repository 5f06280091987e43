#pragma once
// The client's side of the request/answer exchanges, independent of how the
// connection is made: the pipe client runs them over its pipe handle.

#include <cstdint>
#include <vector>

#include "pipe/message_io.h"
#include "pipe/protocol.h"

namespace Orvane::pipe {

struct exchange_outcome {
    bool success = false;
    // False when the stream can no longer be trusted to be at a message
    // boundary (a failed read or write); the caller must drop the connection.
    bool connection_usable = true;
    // True once any message of the answer arrived: the server took the request.
    bool answered = false;
};

exchange_outcome request_voice_list(byte_stream& stream, std::vector<voice_entry>& voices);

// Sends the speak request and streams the answer to `consumer` until `done`.
// After a refusal it sends one stop and, once `done` has come, also reads
// the stop's ack, so that the next request starts on a clean stream.
exchange_outcome request_speech(byte_stream& stream, const speak_request& request,
                                engine::audio_callback consumer, void* context);

// Sends shutdown and reads one answer, whatever it is.
void request_shutdown(byte_stream& stream);

}  // namespace Orvane::pipe

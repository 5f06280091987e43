#pragma once
// Gathers the driver's small audio blocks (2-4 KB each) into fewer, larger
// audio messages. Every pipe write is a round trip through the system, and
// one per block dominated the cost of speaking through the server.
//
// Nothing is held back at the cost of the listener: the first block of an
// utterance goes out at once, and a block waits only while the audio
// already sent is well ahead of real time, so a client that plays as it
// receives always has audio queued. The bytes and their order are those of
// the blocks; only the message boundaries move.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pipe/message_io.h"

namespace Orvane::server {

class audio_batch {
public:
    struct limits {
        // About 1.5 s of audio. Two such messages fit the 64 KB pipe buffer,
        // so a write rarely waits for the reader; 16 KB and 64 KB both cost
        // the server more in our measurements.
        std::size_t max_audio_bytes = 32 * 1024;
        double min_lead_ms = 2000;                // audio the client must have ahead before we hold any
    };

    audio_batch() : audio_batch(limits{}) {}
    explicit audio_batch(limits l);

    // Takes one block and writes to `out` what is due at `now_ms` (any
    // steady clock). False when a write failed.
    bool offer(pipe::byte_stream& out, const void* data, uint32_t byte_count, double now_ms);
    // Writes whatever is still held; false when that write failed.
    bool flush(pipe::byte_stream& out, double now_ms);

private:
    bool empty() const { return pending_audio() == 0; }
    std::size_t pending_audio() const;
    double lead_ms(double now_ms) const;
    bool would_overflow(uint32_t byte_count) const;
    bool should_send(double now_ms) const;

    limits limits_;
    std::vector<uint8_t> message_;  // header and count room, then the pending audio
    bool any_sent_ = false;
    double first_sent_ms_ = 0;
    uint64_t sent_audio_bytes_ = 0;
};

}  // namespace Orvane::server

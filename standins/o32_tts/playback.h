#pragma once
// How the stand-in plays an utterance: a few wave buffers in flight, each
// reused only after it was reported played, and never an endless wait.
// The device and the message pump sit behind wave_sink, so this runs and
// is tested without Windows.

#include <cstdint>

#include "standins/o32_tts/release_queue.h"
#include "standins/o32_tts/synth.h"

namespace Orvane::standin {

constexpr int buffers_in_flight = 3;
constexpr uint32_t large_buffer_bytes = 4096;
constexpr uint32_t small_buffer_bytes = 2048;
constexpr uint32_t release_timeout_ms = 2000;  // a buffer unreported this long ends the utterance
constexpr uint32_t poll_interval_ms = 10;      // a real device reports only by its done flag

// Bytes of the n-th buffer written: 4096 and 2048 in turn.
uint32_t buffer_bytes(uint64_t write_index);

class wave_sink {
public:
    virtual ~wave_sink() = default;
    // Memory of a slot, large_buffer_bytes long, stable until the sink goes.
    virtual int16_t* buffer(int slot) = 0;
    // Prepares and writes `bytes` of the slot; false ends the utterance.
    virtual bool write(int slot, uint32_t bytes) = 0;
    // The device itself reports the slot played.
    virtual bool played(int slot) = 0;
    virtual void unprepare(int slot) = 0;
    // Dispatches the thread's messages; sleeps at most `ms` when none arrive.
    virtual void wait(uint32_t ms) = 0;
    virtual uint64_t now_ms() = 0;
};

enum class play_result { finished, timed_out, write_failed };

// Plays the rest of `stream`. Returns once every written buffer has been
// reported played and unprepared, or at the first failure; a sink left
// with buffers in flight resets them when it closes.
play_result play(synth_stream& stream, wave_sink& sink, release_queue& releases);

}  // namespace Orvane::standin

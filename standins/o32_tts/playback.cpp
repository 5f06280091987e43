#include "standins/o32_tts/playback.h"

#include <algorithm>

namespace Orvane::standin {
namespace {

bool await_release(int slot, wave_sink& sink, release_queue& releases) {
    const uint64_t deadline = sink.now_ms() + release_timeout_ms;
    while (!releases.is_released(slot)) {
        if (sink.played(slot)) {
            releases.mark_released(slot);
            break;
        }
        const uint64_t now = sink.now_ms();
        if (now >= deadline) return false;
        sink.wait(static_cast<uint32_t>(std::min<uint64_t>(deadline - now, poll_interval_ms)));
    }
    return true;
}

// Waits for the slot's buffer, then hands its memory back for reuse.
bool retire(int slot, wave_sink& sink, release_queue& releases) {
    if (!await_release(slot, sink, releases)) return false;
    releases.remove(slot);
    sink.unprepare(slot);
    return true;
}

}  // namespace

uint32_t buffer_bytes(uint64_t write_index) { return write_index % 2 == 0 ? large_buffer_bytes : small_buffer_bytes; }

play_result play(synth_stream& stream, wave_sink& sink, release_queue& releases) {
    releases.clear();  // reports left over from an earlier utterance mean nothing now
    for (uint64_t index = 0;; ++index) {
        const int slot = static_cast<int>(index % buffers_in_flight);
        if (releases.contains(slot) && !retire(slot, sink, releases)) return play_result::timed_out;
        const size_t samples = stream.read(sink.buffer(slot), buffer_bytes(index) / 2);
        if (samples == 0) break;
        if (!sink.write(slot, static_cast<uint32_t>(samples * 2))) return play_result::write_failed;
        releases.push(slot);
    }
    while (const auto slot = releases.oldest())
        if (!retire(*slot, sink, releases)) return play_result::timed_out;
    return play_result::finished;
}

}  // namespace Orvane::standin

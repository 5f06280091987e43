#pragma once
// The wave-output device of one utterance: opened with the caller's opaque
// pointer as callback argument, as the capture expects, and on every path
// reset, unprepared and closed before its buffers are freed.

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <memory>

#include "standins/o32_tts/message_pump.h"
#include "standins/o32_tts/playback.h"

namespace Orvane::standin {

// What the stand-in asks waveOutOpen for: 11025 Hz mono 16-bit PCM.
WAVEFORMATEX output_format();

class winmm_output final : public wave_sink {
public:
    // Null when waveOutOpen fails (for instance, no sound device).
    static std::unique_ptr<winmm_output> open(void* opaque);
    ~winmm_output() override;
    winmm_output(const winmm_output&) = delete;
    winmm_output& operator=(const winmm_output&) = delete;

    int16_t* buffer(int slot) override;
    bool write(int slot, uint32_t bytes) override;
    bool played(int slot) override;
    void unprepare(int slot) override;
    void wait(uint32_t ms) override;
    uint64_t now_ms() override;

private:
    explicit winmm_output(HWAVEOUT device) : device_(device) {}

    static constexpr size_t slot_samples = large_buffer_bytes / 2;
    HWAVEOUT device_;
    std::array<std::array<int16_t, slot_samples>, buffers_in_flight> memory_{};
    std::array<WAVEHDR, buffers_in_flight> headers_{};
    std::array<bool, buffers_in_flight> prepared_{};
    message_pump pump_;
};

}  // namespace Orvane::standin

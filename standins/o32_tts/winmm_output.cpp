#include "standins/o32_tts/winmm_output.h"

namespace Orvane::standin {

WAVEFORMATEX output_format() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = sample_rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = sample_rate * 2;
    return format;
}

std::unique_ptr<winmm_output> winmm_output::open(void* opaque) {
    WAVEFORMATEX format = output_format();
    HWAVEOUT device = nullptr;
    // CALLBACK_NULL: a real device then reports finished buffers only by
    // their done flag, which the player polls.
    if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(opaque), 0, CALLBACK_NULL) !=
        MMSYSERR_NOERROR)
        return nullptr;
    return std::unique_ptr<winmm_output>(new winmm_output(device));
}

winmm_output::~winmm_output() {
    // A real device may still hold buffers: reset returns them before they
    // are unprepared and their memory goes.
    waveOutReset(device_);
    for (int slot = 0; slot < buffers_in_flight; ++slot) unprepare(slot);
    waveOutClose(device_);
}

int16_t* winmm_output::buffer(int slot) { return memory_[slot].data(); }

bool winmm_output::write(int slot, uint32_t bytes) {
    WAVEHDR& header = headers_[slot];
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(memory_[slot].data());
    header.dwBufferLength = bytes;
    if (waveOutPrepareHeader(device_, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    prepared_[slot] = true;
    return waveOutWrite(device_, &header, sizeof header) == MMSYSERR_NOERROR;
}

bool winmm_output::played(int slot) { return (headers_[slot].dwFlags & WHDR_DONE) != 0; }

void winmm_output::unprepare(int slot) {
    if (!prepared_[slot]) return;
    waveOutUnprepareHeader(device_, &headers_[slot], sizeof headers_[slot]);
    prepared_[slot] = false;
}

void winmm_output::wait(uint32_t ms) { pump_.wait(ms); }

uint64_t winmm_output::now_ms() { return GetTickCount64(); }

}  // namespace Orvane::standin

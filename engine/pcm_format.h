#pragma once
// The one audio format of the system: 16-bit mono PCM at 11025 samples per
// second, as the legacy engine plays it and as SAPI is told.

#include <windows.h>
#include <mmreg.h>

namespace Orvane::engine {

inline constexpr DWORD pcm_sample_rate = 11025;
inline constexpr WORD pcm_bits_per_sample = 16;

inline WAVEFORMATEX pcm_wave_format() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = pcm_sample_rate;
    format.wBitsPerSample = pcm_bits_per_sample;
    format.nBlockAlign = pcm_bits_per_sample / 8;
    format.nAvgBytesPerSec = pcm_sample_rate * format.nBlockAlign;
    format.cbSize = 0;
    return format;
}

}  // namespace Orvane::engine

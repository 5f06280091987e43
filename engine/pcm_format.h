#pragma once
// The one audio format of the system: 16-bit mono PCM at 11025 samples per
// second, as the legacy engine plays it and as SAPI is told.

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <mmreg.h>
#endif

namespace Orvane::engine {

inline constexpr uint32_t pcm_sample_rate = 11025;
inline constexpr uint16_t pcm_bits_per_sample = 16;
inline constexpr uint32_t pcm_bytes_per_second = pcm_sample_rate * (pcm_bits_per_sample / 8);

#ifdef _WIN32
inline WAVEFORMATEX pcm_wave_format() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = pcm_sample_rate;
    format.wBitsPerSample = pcm_bits_per_sample;
    format.nBlockAlign = pcm_bits_per_sample / 8;
    format.nAvgBytesPerSec = pcm_bytes_per_second;
    format.cbSize = 0;
    return format;
}
#endif

}  // namespace Orvane::engine

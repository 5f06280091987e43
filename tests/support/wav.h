#pragma once
// Minimal RIFF/WAVE files of 16-bit mono PCM, the only audio format the
// system produces. Reading checks every size against the data it has.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace Orvane::testing {

class wav_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct wav_audio {
    uint32_t sample_rate = 11025;
    std::vector<int16_t> samples;
};

std::vector<uint8_t> encode_wav(const int16_t* samples, size_t count, uint32_t sample_rate = 11025);
// Throws wav_error for anything but well-formed 16-bit mono PCM.
wav_audio decode_wav(const uint8_t* data, size_t size);

// Both throw wav_error when the file cannot be written whole.
void write_wav(const std::filesystem::path& path, const std::vector<int16_t>& samples, uint32_t sample_rate = 11025);
// From 16-bit little-endian PCM bytes as SAPI hands them over, without a
// copy; an odd last byte is left out.
void write_wav_bytes(const std::filesystem::path& path, const uint8_t* pcm, size_t byte_count,
                     uint32_t sample_rate = 11025);
wav_audio read_wav(const std::filesystem::path& path);

}  // namespace Orvane::testing

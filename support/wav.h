#pragma once
// Minimal RIFF/WAVE files of 16-bit mono PCM, the only audio format the
// system produces. Reading checks every size against the data it has.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace Orvane::support {

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

// Throws wav_error when the file cannot be written whole.
void write_wav(const std::filesystem::path& path, const std::vector<int16_t>& samples, uint32_t sample_rate = 11025);
wav_audio read_wav(const std::filesystem::path& path);

// Writes a WAV file as the audio comes, so that a long recording is never
// held in memory; finish() fills in the sizes. A file not finished is
// removed when the writer goes.
class wav_file_writer {
public:
    // Throws wav_error when the file cannot be created.
    explicit wav_file_writer(std::filesystem::path path, uint32_t sample_rate = 11025);
    ~wav_file_writer();
    wav_file_writer(const wav_file_writer&) = delete;
    wav_file_writer& operator=(const wav_file_writer&) = delete;

    // 16-bit little-endian PCM bytes, split anywhere; false when they could
    // not be written or would make the file larger than WAV allows.
    bool append(const uint8_t* pcm, size_t byte_count);
    // Throws wav_error when the file cannot be completed. An odd last byte
    // is left out.
    void finish();

    uint64_t samples() const { return data_bytes_ / 2; }

private:
    std::filesystem::path path_;
    uint32_t sample_rate_;
    std::ofstream file_;
    uint64_t data_bytes_ = 0;  // whole samples written
    bool has_carry_ = false;   // the first byte of a sample split between two appends
    uint8_t carry_ = 0;
    bool finished_ = false;
};

}  // namespace Orvane::support

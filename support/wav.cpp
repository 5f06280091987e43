#include "support/wav.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace Orvane::support {
namespace {

constexpr uint16_t format_pcm = 1;
constexpr size_t header_bytes = 44;

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>((v >> shift) & 0xff));
}

void put_tag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

bool tag_is(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

struct format_chunk {
    bool seen = false;
    uint32_t sample_rate = 0;
};

format_chunk read_format(const uint8_t* body, uint32_t size) {
    if (size < 16) throw wav_error("WAV fmt chunk too short");
    const uint16_t tag = get16(body);
    const uint16_t channels = get16(body + 2);
    const uint32_t rate = get32(body + 4);
    const uint16_t bits = get16(body + 14);
    if (tag != format_pcm || channels != 1 || bits != 16)
        throw wav_error("WAV is not 16-bit mono PCM (format " + std::to_string(tag) + ", " + std::to_string(channels) +
                        " channels, " + std::to_string(bits) + " bits)");
    if (rate == 0) throw wav_error("WAV sample rate is 0");
    return {true, rate};
}

std::vector<uint8_t> wav_header(size_t count, uint32_t sample_rate) {
    if (count > (std::numeric_limits<uint32_t>::max() - header_bytes) / 2) throw wav_error("too many samples for a WAV");
    const auto data_bytes = static_cast<uint32_t>(count * 2);
    std::vector<uint8_t> out;
    out.reserve(header_bytes);
    put_tag(out, "RIFF");
    put32(out, static_cast<uint32_t>(header_bytes - 8 + data_bytes));
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put32(out, 16);
    put16(out, format_pcm);
    put16(out, 1);
    put32(out, sample_rate);
    put32(out, sample_rate * 2);
    put16(out, 2);
    put16(out, 16);
    put_tag(out, "data");
    put32(out, data_bytes);
    return out;
}

// Little-endian bytes of `count` samples into `out`, which has room for them.
void put_samples(uint8_t* out, const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const auto v = static_cast<uint16_t>(samples[i]);
        out[2 * i] = static_cast<uint8_t>(v & 0xff);
        out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
}

void check_written(std::ofstream& file, const std::filesystem::path& path) {
    file.close();
    if (!file) throw wav_error("cannot write " + path.u8string());
}

}  // namespace

std::vector<uint8_t> encode_wav(const int16_t* samples, size_t count, uint32_t sample_rate) {
    std::vector<uint8_t> out = wav_header(count, sample_rate);
    out.resize(header_bytes + count * 2);
    put_samples(out.data() + header_bytes, samples, count);
    return out;
}

void write_wav(const std::filesystem::path& path, const std::vector<int16_t>& samples, uint32_t sample_rate) {
    wav_file_writer writer(path, sample_rate);
    // In pieces: a long recording is not copied whole once more.
    constexpr size_t piece = 32 * 1024;
    std::vector<uint8_t> bytes(piece * 2);
    for (size_t at = 0; at < samples.size(); at += piece) {
        const size_t n = std::min(piece, samples.size() - at);
        put_samples(bytes.data(), samples.data() + at, n);
        if (!writer.append(bytes.data(), n * 2)) throw wav_error("cannot write " + path.u8string());
    }
    writer.finish();
}

wav_audio decode_wav(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 12 || !tag_is(data, "RIFF") || !tag_is(data + 8, "WAVE"))
        throw wav_error("not a RIFF/WAVE file");
    format_chunk format;
    // Chunks follow one another, each padded to an even length.
    for (size_t pos = 12; size - pos >= 8;) {
        const uint8_t* chunk = data + pos;
        const uint32_t chunk_size = get32(chunk + 4);
        if (chunk_size > size - pos - 8) throw wav_error("WAV chunk runs past the end of the file");
        const uint8_t* body = chunk + 8;
        if (tag_is(chunk, "fmt ")) {
            format = read_format(body, chunk_size);
        } else if (tag_is(chunk, "data")) {
            if (!format.seen) throw wav_error("WAV data chunk before its fmt chunk");
            if (chunk_size % 2 != 0) throw wav_error("WAV data chunk holds a partial sample");
            wav_audio audio;
            audio.sample_rate = format.sample_rate;
            audio.samples.resize(chunk_size / 2);
            for (size_t i = 0; i < audio.samples.size(); ++i)
                audio.samples[i] = static_cast<int16_t>(get16(body + 2 * i));
            return audio;
        }
        pos += 8 + static_cast<size_t>(chunk_size) + (chunk_size & 1u);
        if (pos > size) break;
    }
    throw wav_error("WAV has no data chunk");
}

wav_file_writer::wav_file_writer(std::filesystem::path path, uint32_t sample_rate)
    : path_(std::move(path)), sample_rate_(sample_rate), file_(path_, std::ios::binary | std::ios::trunc) {
    const std::vector<uint8_t> header = wav_header(0, sample_rate_);  // sizes come with finish()
    file_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    if (!file_) throw wav_error("cannot write " + path_.u8string());
}

wav_file_writer::~wav_file_writer() {
    if (finished_) return;
    file_.close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

bool wav_file_writer::append(const uint8_t* pcm, size_t byte_count) {
    if (byte_count == 0) return bool(file_);
    const uint64_t limit = std::numeric_limits<uint32_t>::max() - header_bytes;
    if (data_bytes_ + (has_carry_ ? 1 : 0) + byte_count > limit) return false;
    if (has_carry_) {
        const char sample[2] = {static_cast<char>(carry_), static_cast<char>(pcm[0])};
        file_.write(sample, 2);
        data_bytes_ += 2;
        has_carry_ = false;
        ++pcm;
        --byte_count;
    }
    const size_t whole = byte_count & ~size_t(1);
    file_.write(reinterpret_cast<const char*>(pcm), static_cast<std::streamsize>(whole));
    data_bytes_ += whole;
    if (byte_count & 1) {
        has_carry_ = true;
        carry_ = pcm[whole];
    }
    return bool(file_);
}

void wav_file_writer::finish() {
    const std::vector<uint8_t> header = wav_header(size_t(data_bytes_ / 2), sample_rate_);
    file_.seekp(0);
    file_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    check_written(file_, path_);
    finished_ = true;
}

wav_audio read_wav(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw wav_error("cannot open " + path.u8string());
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw wav_error("cannot read " + path.u8string());
    return decode_wav(bytes.data(), bytes.size());
}

}  // namespace Orvane::support

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/wav.h"

using namespace Orvane::support;

namespace {

std::vector<uint8_t> bytes_of(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string le32(uint32_t v) {
    return std::string{static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff), static_cast<char>((v >> 16) & 0xff),
                       static_cast<char>(v >> 24)};
}

std::string fmt_chunk(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::string body;
    body += std::string{static_cast<char>(format), static_cast<char>(format >> 8)};
    body += std::string{static_cast<char>(channels), static_cast<char>(channels >> 8)};
    body += le32(rate) + le32(rate * channels * bits / 8);
    body += std::string{static_cast<char>(channels * bits / 8), 0, static_cast<char>(bits), 0};
    return "fmt " + le32(static_cast<uint32_t>(body.size())) + body;
}

std::string riff(const std::string& chunks) { return "RIFF" + le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks; }

const std::string mono16 = fmt_chunk(1, 1, 11025, 16);

TEST(Wav, RoundTripKeepsEverySampleAndTheRate) {
    const std::vector<int16_t> samples{0, 1, -1, 32767, -32768, 12345, -2};
    const std::vector<uint8_t> file = encode_wav(samples.data(), samples.size(), 22050);
    ASSERT_EQ(file.size(), 44 + 2 * samples.size());
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(file[40], 14);  // data size, little-endian
    EXPECT_EQ(file[50], 0xff);  // 32767, little-endian
    EXPECT_EQ(file[51], 0x7f);
    const wav_audio audio = decode_wav(file.data(), file.size());
    EXPECT_EQ(audio.sample_rate, 22050u);
    EXPECT_EQ(audio.samples, samples);
}

TEST(Wav, OtherChunksAreSkippedWithTheirPadding) {
    const std::string file = riff(mono16 + "LIST" + le32(3) + "abc" + std::string(1, '\0') + "data" + le32(4) + std::string("\x01\x00\xff\xff", 4));
    const std::vector<uint8_t> bytes = bytes_of(file);
    const wav_audio audio = decode_wav(bytes.data(), bytes.size());
    EXPECT_EQ(audio.samples, (std::vector<int16_t>{1, -1}));
}

TEST(Wav, MalformedFilesAreRefusedWithAnError) {
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"not RIFF", "RIFX" + le32(4) + "WAVE"},
        {"not WAVE", "RIFF" + le32(4) + "AVI "},
        {"no data chunk", riff(mono16)},
        {"data before fmt", riff("data" + le32(2) + "\x01\x02" + mono16)},
        {"data runs past the end", riff(mono16 + "data" + le32(1000) + "\x01\x02")},
        {"size that wraps around", riff(mono16 + "data" + le32(0xfffffff8u) + "\x01\x02")},
        {"odd data size", riff(mono16 + "data" + le32(3) + std::string("\x01\x02\x03\x00", 4))},
        {"stereo", riff(fmt_chunk(1, 2, 11025, 16) + "data" + le32(4) + "abcd")},
        {"8-bit", riff(fmt_chunk(1, 1, 11025, 8) + "data" + le32(2) + "ab")},
        {"float", riff(fmt_chunk(3, 1, 11025, 16) + "data" + le32(2) + "ab")},
        {"rate 0", riff(fmt_chunk(1, 1, 0, 16) + "data" + le32(2) + "ab")},
        {"short fmt", riff("fmt " + le32(4) + std::string("\x01\x00\x01\x00", 4) + "data" + le32(2) + "ab")},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> bytes = bytes_of(c.file);
        EXPECT_THROW(decode_wav(bytes.data(), bytes.size()), wav_error) << c.what;
    }
    EXPECT_THROW(decode_wav(nullptr, 0), wav_error);
}

TEST(Wav, FilesOnDisk) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane_wav_test.wav";
    // Longer than one piece of the writer, with every byte value in turn.
    std::vector<int16_t> samples(70001);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 257 - 30000);
    for (const std::vector<int16_t>& written : {std::vector<int16_t>{100, -200, 300}, samples, std::vector<int16_t>{}}) {
        write_wav(path, written);
        EXPECT_EQ(read_wav(path).samples, written) << written.size() << " samples";
    }
    std::filesystem::remove(path);
    EXPECT_THROW(read_wav(path), wav_error) << "missing file";
    const auto unwritable = std::filesystem::temp_directory_path() / "no-such-dir" / "x.wav";
    EXPECT_THROW(write_wav(unwritable, samples), wav_error);
    EXPECT_THROW(wav_file_writer{unwritable}, wav_error);
}

TEST(Wav, StreamedFilesTakeBytesSplitAnywhere) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane_wav_stream_test.wav";
    // 100, -200, 300 as little-endian bytes, then a lone byte left out.
    const std::vector<uint8_t> pcm{0x64, 0x00, 0x38, 0xff, 0x2c, 0x01, 0x7f};
    const std::vector<std::vector<size_t>> splits{{7}, {1, 1, 1, 1, 1, 1, 1}, {3, 0, 4}, {5, 2}};
    for (const auto& split : splits) {
        {
            wav_file_writer writer(path, 22050);
            size_t at = 0;
            for (size_t n : split) {
                ASSERT_TRUE(writer.append(pcm.data() + at, n));
                at += n;
            }
            writer.finish();
            EXPECT_EQ(writer.samples(), 3u);
        }
        const wav_audio audio = read_wav(path);
        EXPECT_EQ(audio.sample_rate, 22050u);
        EXPECT_EQ(audio.samples, (std::vector<int16_t>{100, -200, 300})) << ::testing::PrintToString(split);
    }
    {
        wav_file_writer unfinished(path);
        ASSERT_TRUE(unfinished.append(pcm.data(), 4));
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "a file never finished is removed";
}

}  // namespace

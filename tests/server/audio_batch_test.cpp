#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/audio_batch.h"
#include "tests/pipe/memory_stream.h"

using namespace Orvane;
using namespace Orvane::testing;

namespace {

constexpr double audio_bytes_per_ms = 22.05;  // 11025 Hz, 16-bit mono

struct block_at {
    double ms;
    std::vector<uint8_t> bytes;
};

struct sent_message {
    double ms;
    std::vector<uint8_t> audio;
};

// The blocks as the driver hands them over, each at its time; what went
// out, message by message, with the time it was written.
std::vector<sent_message> run_batch(const std::vector<block_at>& blocks, server::audio_batch::limits limits = {}) {
    server::audio_batch batch(limits);
    memory_stream stream;
    std::vector<sent_message> sent;
    auto collect = [&](double ms) {
        std::vector<parsed_message> messages;
        EXPECT_TRUE(parse_messages(stream.output, messages)) << "a partial message";
        for (const parsed_message& m : messages) {
            EXPECT_EQ(m.kind, uint32_t(pipe::reply_kind::audio));
            pipe::audio_chunk chunk;
            EXPECT_TRUE(pipe::decode_audio_chunk(m.payload.data(), m.payload.size(), chunk));
            EXPECT_EQ(chunk.byte_count + 4, m.payload.size()) << "count and payload agree";
            sent.push_back({ms, {m.payload.begin() + 4, m.payload.end()}});
        }
        stream.output.clear();
    };
    for (const block_at& b : blocks) {
        EXPECT_TRUE(batch.offer(stream, b.bytes.data(), uint32_t(b.bytes.size()), b.ms));
        collect(b.ms);
    }
    const double end = blocks.empty() ? 0 : blocks.back().ms;
    EXPECT_TRUE(batch.flush(stream, end));
    collect(end);
    return sent;
}

// 2048- and 4096-byte blocks in turn, numbered bytes, one every `interval` ms.
std::vector<block_at> engine_blocks(int count, double interval_ms, double start_ms = 0) {
    std::vector<block_at> blocks;
    uint8_t next = 0;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> bytes(i % 2 ? 2048 : 4096);
        for (uint8_t& byte : bytes) byte = next++;
        blocks.push_back({start_ms + i * interval_ms, std::move(bytes)});
    }
    return blocks;
}

std::vector<uint8_t> all_audio(const std::vector<block_at>& blocks) {
    std::vector<uint8_t> audio;
    for (const block_at& b : blocks) audio.insert(audio.end(), b.bytes.begin(), b.bytes.end());
    return audio;
}

std::vector<uint8_t> all_audio(const std::vector<sent_message>& sent) {
    std::vector<uint8_t> audio;
    for (const sent_message& m : sent) audio.insert(audio.end(), m.audio.begin(), m.audio.end());
    return audio;
}

// How long a client that starts playing at the first message and plays in
// real time would have waited with nothing to play (0: it never ran dry).
double longest_starvation_ms(const std::vector<sent_message>& sent) {
    double queued_until = 0, worst = 0;
    for (const sent_message& m : sent) {
        const double start = sent.front().ms;
        if (m.ms - start > queued_until) worst = std::max(worst, m.ms - start - queued_until);
        queued_until = std::max(queued_until, m.ms - start) + double(m.audio.size()) / audio_bytes_per_ms;
    }
    return worst;
}

}  // namespace

TEST(AudioBatch, GathersBlocksOnlyWhileTheClientIsWellAhead) {
    struct row {
        const char* engine;
        std::vector<block_at> blocks;
        bool expect_fewer_messages;
    };
    // A 3072-byte block is about 139 ms of audio.
    std::vector<block_at> stalling = engine_blocks(60, 0.1);
    std::vector<block_at> after_stall = engine_blocks(60, 0.1, 1500);
    stalling.insert(stalling.end(), after_stall.begin(), after_stall.end());
    const row rows[] = {
        {"a thousand times real time", engine_blocks(400, 0.14), true},
        {"twice real time", engine_blocks(100, 70), true},
        {"real time", engine_blocks(40, 139.3), false},
        {"slower than real time", engine_blocks(20, 300), false},
        {"fast, then stalled for 1.5 s", stalling, true},
    };
    for (const row& r : rows) {
        const std::vector<sent_message> sent = run_batch(r.blocks);
        ASSERT_FALSE(sent.empty()) << r.engine;
        EXPECT_EQ(all_audio(sent), all_audio(r.blocks)) << r.engine << ": the same bytes in the same order";
        EXPECT_EQ(sent.front().audio, r.blocks.front().bytes) << r.engine << ": the first block goes out alone";
        EXPECT_EQ(sent.front().ms, r.blocks.front().ms) << r.engine << ": and at once";
        for (const sent_message& m : sent) EXPECT_LE(m.audio.size(), 32u * 1024u) << r.engine;
        if (r.expect_fewer_messages)
            EXPECT_LT(sent.size(), r.blocks.size() / 2) << r.engine;
        else
            EXPECT_EQ(sent.size(), r.blocks.size()) << r.engine << ": nothing may be held";
        EXPECT_EQ(longest_starvation_ms(sent), longest_starvation_ms(run_batch(r.blocks, {1, 1e12})))
            << r.engine << ": a playing client never waits longer than without gathering";
    }
}

TEST(AudioBatch, MessagesStayWithinTheLimitAndLargeBlocksGoAlone) {
    // No lead needed and no time passing: everything after the first block is held.
    const server::audio_batch::limits limits{100, -1e12};
    auto blocks_of = [](std::vector<std::size_t> sizes) {
        std::vector<block_at> blocks;
        for (std::size_t size : sizes) blocks.push_back({0, std::vector<uint8_t>(size, uint8_t(size))});
        return blocks;
    };
    struct row {
        std::vector<std::size_t> blocks;
        std::vector<std::size_t> messages;
    };
    const row rows[] = {
        {{10, 20, 30}, {10, 50}},
        {{10, 60, 60}, {10, 60, 60}},
        {{10, 40, 60, 1}, {10, 100, 1}},
        {{10, 30, 250, 5}, {10, 30, 250, 5}},
        {{10, 0, 0}, {10}},
        {{}, {}},
    };
    for (const row& r : rows) {
        const std::vector<block_at> blocks = blocks_of(r.blocks);
        const std::vector<sent_message> sent = run_batch(blocks, limits);
        std::vector<std::size_t> sizes;
        for (const sent_message& m : sent) sizes.push_back(m.audio.size());
        EXPECT_EQ(sizes, r.messages) << ::testing::PrintToString(r.blocks);
        EXPECT_EQ(all_audio(sent), all_audio(blocks));
    }
}

TEST(AudioBatch, AFailedWriteIsReportedAndWhatItHeldIsNotRepeated) {
    server::audio_batch batch({100, -1e12});
    memory_stream stream;
    const std::vector<uint8_t> block(70, 7);
    ASSERT_TRUE(batch.offer(stream, block.data(), 40, 0)) << "sent";
    ASSERT_TRUE(batch.offer(stream, block.data(), 40, 0)) << "held";
    stream.write_limit = stream.output.size();
    EXPECT_FALSE(batch.offer(stream, block.data(), 70, 0)) << "the held 40 bytes could not be written";
    stream.write_limit = SIZE_MAX;
    ASSERT_TRUE(batch.offer(stream, block.data(), 10, 0));
    EXPECT_TRUE(batch.flush(stream, 0));
    std::vector<parsed_message> messages;
    ASSERT_TRUE(parse_messages(stream.output, messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].payload.size(), 4u + 40u);
    EXPECT_EQ(messages[1].payload.size(), 4u + 10u);
}

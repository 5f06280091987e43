#include <gtest/gtest.h>

#include "pipe/buffered_stream.h"
#include "pipe/message_io.h"
#include "tests/pipe/memory_stream.h"

using namespace Orvane::pipe;
using Orvane::testing::memory_stream;

TEST(MessageIo, ShortReadsAreContinuedUntilTheMessageIsWhole) {
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(4), std::size_t(8), SIZE_MAX}) {
        memory_stream stream;
        stream.chunk = chunk;
        stream.add_message(2, {4, 0, 0, 0, 'a', 'b', 'c', 'd'});
        stream.add_header(3, 0);
        message_header header;
        std::vector<uint8_t> payload;
        ASSERT_EQ(read_message(stream, header, payload), read_result::ok) << chunk;
        EXPECT_EQ(header.kind, 2u);
        EXPECT_EQ(payload, (std::vector<uint8_t>{4, 0, 0, 0, 'a', 'b', 'c', 'd'}));
        ASSERT_EQ(read_message(stream, header, payload), read_result::ok) << chunk;
        EXPECT_EQ(header.kind, 3u);
        EXPECT_TRUE(payload.empty());
        EXPECT_EQ(read_message(stream, header, payload), read_result::failed) << "end of stream";
    }
}

TEST(MessageIo, TruncatedMessagesAndOversizeHeadersFail) {
    struct row {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t limit;
        read_result expected;
        std::size_t consumed;
    };
    const row rows[] = {
        {"nothing", {}, 16, read_result::failed, 0},
        {"seven header bytes", {1, 0, 0, 0, 0, 0, 0}, 16, read_result::failed, 7},
        {"payload cut short", {1, 0, 0, 0, 4, 0, 0, 0, 9, 9}, 16, read_result::failed, 10},
        {"at the limit", {1, 0, 0, 0, 2, 0, 0, 0, 9, 9}, 2, read_result::ok, 10},
        {"above the limit: payload left unread", {1, 0, 0, 0, 3, 0, 0, 0, 9, 9, 9}, 2, read_result::too_large, 8},
        {"length near 2^32", {1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 9}, max_payload_length, read_result::too_large, 8},
        {"length 2^31", {1, 0, 0, 0, 0, 0, 0, 0x80}, max_payload_length, read_result::too_large, 8},
    };
    for (const row& r : rows) {
        memory_stream stream;
        stream.input = r.bytes;
        message_header header;
        std::vector<uint8_t> payload;
        EXPECT_EQ(read_message(stream, header, payload, r.limit), r.expected) << r.what;
        EXPECT_EQ(stream.read_position, r.consumed) << r.what;
    }
}

TEST(MessageIo, WriteMessageSendsHeaderThenPayload) {
    memory_stream stream;
    ASSERT_TRUE(write_message(stream, encode_header(reply_kind::voice_list, 3), {7, 8, 9}));
    EXPECT_EQ(stream.output, (std::vector<uint8_t>{4, 0, 0, 0, 3, 0, 0, 0, 7, 8, 9}));
    stream.write_limit = stream.output.size() + 8;
    EXPECT_FALSE(write_message(stream, encode_header(reply_kind::voice_list, 3), {7, 8, 9}));
}

TEST(BufferedStream, ReadsAheadWithoutLosingOrReorderingBytes) {
    // Messages of every size around the buffer's capacity, read through
    // inner streams that hand out 1 byte, a few, or all they have.
    for (std::size_t chunk : {std::size_t(1), std::size_t(5), std::size_t(64), SIZE_MAX}) {
        memory_stream inner;
        inner.chunk = chunk;
        std::vector<std::vector<uint8_t>> payloads;
        for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 40u, 3u}) {
            std::vector<uint8_t> payload(size);
            for (std::size_t i = 0; i < size; ++i) payload[i] = uint8_t(size + i);
            inner.add_message(2, payload);
            payloads.push_back(payload);
        }
        buffered_stream stream(inner, 16);
        message_header header;
        std::vector<uint8_t> payload;
        for (const auto& expected : payloads) {
            ASSERT_EQ(read_message(stream, header, payload), read_result::ok) << chunk;
            EXPECT_EQ(payload, expected) << chunk;
        }
        EXPECT_EQ(read_message(stream, header, payload), read_result::failed) << "end of stream";
        EXPECT_EQ(stream.buffered(), 0u);
    }
}

TEST(BufferedStream, OneInnerReadServesSeveralMessagesAndWritesPassThrough) {
    memory_stream inner;
    for (int i = 0; i < 10; ++i) inner.add_message(2, {1, 2, 3, 4});
    struct counting : byte_stream {
        memory_stream& inner;
        int reads = 0;
        explicit counting(memory_stream& s) : inner(s) {}
        std::size_t read_some(void* b, std::size_t n) override { ++reads; return inner.read_some(b, n); }
        bool write(const void* d, std::size_t n) override { return inner.write(d, n); }
    } counted(inner);
    buffered_stream stream(counted);
    message_header header;
    std::vector<uint8_t> payload;
    for (int i = 0; i < 10; ++i) ASSERT_EQ(read_message(stream, header, payload), read_result::ok);
    EXPECT_EQ(counted.reads, 1) << "ten messages of 12 bytes in one read";
    ASSERT_TRUE(write_header(stream, encode_header(request_kind::stop)));
    EXPECT_EQ(inner.output, (std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0, 0}));
}

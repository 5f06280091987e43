#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipe/client_exchange.h"
#include "tests/pipe/memory_stream.h"

using namespace Orvane::pipe;
using namespace Orvane::testing;

namespace {

constexpr uint32_t ack = uint32_t(reply_kind::ack);
constexpr uint32_t error = uint32_t(reply_kind::error);
constexpr uint32_t done = uint32_t(reply_kind::done);
constexpr uint32_t voice_list = uint32_t(reply_kind::voice_list);
constexpr uint32_t probe_reply = uint32_t(reply_kind::probe_reply);

struct consumer_log {
    std::vector<std::vector<uint8_t>> blocks;
    std::size_t accept = SIZE_MAX;  // blocks taken before refusing

    static bool take(const void* data, uint32_t byte_count, void* context) {
        auto& log = *static_cast<consumer_log*>(context);
        auto* bytes = static_cast<const uint8_t*>(data);
        log.blocks.emplace_back(bytes, bytes + byte_count);
        return log.blocks.size() <= log.accept;
    }
};

std::vector<uint8_t> fourteen_voices() {
    voice_list_payload list;
    for (int i = 0; i < 14; ++i) list.entries.push_back(make_voice_entry("V" + std::to_string(i), i == 12));
    return encode_voice_list(list);
}

std::size_t stops_sent(const memory_stream& stream) {
    std::vector<parsed_message> sent;
    EXPECT_TRUE(parse_messages(stream.output, sent));
    std::size_t stops = 0;
    for (const auto& message : sent) stops += message.kind == uint32_t(request_kind::stop);
    return stops;
}

}  // namespace

TEST(ClientExchange, SpeakSendsOneHeaderAndTheRequestPayload) {
    memory_stream stream;
    stream.add_header(done, 0);
    const speak_request request{"Hello", 3, 10, 1.0f, 20, -1};
    const exchange_outcome outcome = request_speech(stream, request, nullptr, nullptr);
    EXPECT_TRUE(outcome.success);
    std::vector<parsed_message> sent;
    ASSERT_TRUE(parse_messages(stream.output, sent));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].kind, uint32_t(request_kind::speak));
    EXPECT_EQ(sent[0].payload, encode_speak_request(request));
}

// Each row is the server's answer to one speak request, read one byte at a
// time, and what the client must make of it.
TEST(ClientExchange, SpeakAnswersAreReadAsDocumented) {
    struct row {
        const char* what;
        void (*script)(memory_stream&);
        std::size_t accept;
        bool success;
        bool usable;
        std::vector<std::size_t> block_sizes;
        std::size_t stops;
    };
    const row rows[] = {
        {"audio then done", [](memory_stream& s) { s.add_audio({1, 2}); s.add_audio({3, 4, 5, 6}); s.add_header(done, 0); },
         SIZE_MAX, true, true, {2, 4}, 0},
        {"done without audio", [](memory_stream& s) { s.add_header(done, 0); }, SIZE_MAX, true, true, {}, 0},
        {"error", [](memory_stream& s) { s.add_header(error, 0); }, SIZE_MAX, false, true, {}, 0},
        {"unexpected kinds are skipped with their payloads",
         [](memory_stream& s) {
             s.add_header(ack, 0);
             s.add_header(probe_reply, 0);
             s.add_message(99, {1, 2, 3});
             s.add_message(voice_list, fourteen_voices());
             s.add_audio({7, 7});
             s.add_header(done, 0);
         },
         SIZE_MAX, true, true, {2}, 0},
        {"audio payload under four bytes is dropped",
         [](memory_stream& s) { s.add_message(2, {1, 0}); s.add_header(done, 0); }, SIZE_MAX, true, true, {}, 0},
        {"byte_count beyond the payload is clipped",
         [](memory_stream& s) { s.add_message(2, {200, 0, 0, 0, 1, 2, 3, 4}); s.add_header(done, 0); }, SIZE_MAX, true,
         true, {4}, 0},
        {"refusing the first block sends one stop and absorbs its ack",
         [](memory_stream& s) {
             s.add_audio({1, 1});
             s.add_audio({2, 2});
             s.add_audio({3, 3});
             s.add_header(done, 0);
             s.add_header(ack, 0);
         },
         0, true, true, {2}, 1},
        {"refused, then the connection ends before the ack",
         [](memory_stream& s) { s.add_audio({1, 1}); s.add_header(done, 0); }, 0, true, false, {2}, 1},
        {"connection ends during audio",
         [](memory_stream& s) { s.add_audio({1, 1}); s.add_header(2, 100); s.add(std::vector<uint8_t>(10).data(), 10); },
         SIZE_MAX, false, false, {2}, 0},
        {"oversize reply header", [](memory_stream& s) { s.add_header(2, 0xFFFFFFF0u); }, SIZE_MAX, false, false, {}, 0},
    };
    for (const row& r : rows) {
        memory_stream stream;
        stream.chunk = 1;
        r.script(stream);
        consumer_log log;
        log.accept = r.accept;
        const exchange_outcome outcome =
            request_speech(stream, speak_request{"text", 0, 0, 1.0f, 0, -1}, consumer_log::take, &log);
        EXPECT_EQ(outcome.success, r.success) << r.what;
        EXPECT_EQ(outcome.connection_usable, r.usable) << r.what;
        std::vector<std::size_t> sizes;
        for (const auto& block : log.blocks) sizes.push_back(block.size());
        EXPECT_EQ(sizes, r.block_sizes) << r.what;
        EXPECT_EQ(stops_sent(stream), r.stops) << r.what;
        if (r.usable) EXPECT_EQ(stream.read_position, stream.input.size()) << r.what << ": left unread bytes";
    }
}

TEST(ClientExchange, VoiceListRightAfterAStoppedSpeakSucceeds) {
    memory_stream stream;
    stream.add_audio({1, 2});
    stream.add_audio({3, 4});
    stream.add_header(done, 0);
    stream.add_header(ack, 0);  // the late answer to the stop
    stream.add_message(voice_list, fourteen_voices());
    consumer_log log;
    log.accept = 0;
    ASSERT_TRUE(request_speech(stream, speak_request{}, consumer_log::take, &log).success);
    std::vector<voice_entry> voices;
    const exchange_outcome outcome = request_voice_list(stream, voices);
    EXPECT_TRUE(outcome.success);
    ASSERT_EQ(voices.size(), 14u);
    EXPECT_EQ(entry_name(voices[12]), "V12");
    EXPECT_EQ(voices[12].female, 1);
}

TEST(ClientExchange, AFailedStopWriteDropsTheConnectionInsteadOfWaitingForAnAck) {
    memory_stream stream;
    stream.add_audio({1, 2});
    stream.add_header(done, 0);
    const std::size_t request_bytes = 8 + 24 + 4;
    stream.write_limit = request_bytes;
    consumer_log log;
    log.accept = 0;
    const exchange_outcome outcome = request_speech(stream, speak_request{"text", 0, 0, 1.0f, 0, -1}, consumer_log::take, &log);
    EXPECT_TRUE(outcome.success);
    EXPECT_FALSE(outcome.connection_usable);
}

TEST(ClientExchange, VoiceListAnswers) {
    struct row {
        const char* what;
        void (*script)(memory_stream&);
        bool success;
        bool usable;
        std::size_t voices;
    };
    const row rows[] = {
        {"fourteen voices", [](memory_stream& s) { s.add_message(voice_list, fourteen_voices()); }, true, true, 14},
        {"count larger than payload keeps whole entries",
         [](memory_stream& s) {
             std::vector<uint8_t> payload = fourteen_voices();
             payload.resize(4 + 33 * 3 + 20);
             s.add_message(voice_list, payload);
         },
         true, true, 3},
        {"payload without a count", [](memory_stream& s) { s.add_message(voice_list, {1, 0}); }, false, true, 0},
        {"another kind", [](memory_stream& s) { s.add_header(ack, 0); }, false, true, 0},
        {"connection ends", [](memory_stream& s) { s.add_header(voice_list, 466); }, false, false, 0},
    };
    for (const row& r : rows) {
        memory_stream stream;
        r.script(stream);
        std::vector<voice_entry> voices(2);
        const exchange_outcome outcome = request_voice_list(stream, voices);
        EXPECT_EQ(outcome.success, r.success) << r.what;
        EXPECT_EQ(outcome.connection_usable, r.usable) << r.what;
        EXPECT_EQ(voices.size(), r.voices) << r.what;
        EXPECT_EQ(stream.output, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0})) << r.what;
    }
}

TEST(ClientExchange, FailedRequestWritesBreakTheConnection) {
    memory_stream stream;
    stream.write_limit = 0;
    std::vector<voice_entry> voices;
    EXPECT_FALSE(request_voice_list(stream, voices).connection_usable);
    const exchange_outcome outcome = request_speech(stream, speak_request{}, nullptr, nullptr);
    EXPECT_FALSE(outcome.success);
    EXPECT_FALSE(outcome.connection_usable);
}

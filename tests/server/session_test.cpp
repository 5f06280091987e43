#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "server/session.h"
#include "tests/pipe/memory_stream.h"

using namespace Orvane;
using namespace Orvane::testing;
using pipe::reply_kind;
using pipe::request_kind;

namespace {

constexpr uint32_t ack = uint32_t(reply_kind::ack);
constexpr uint32_t error = uint32_t(reply_kind::error);
constexpr uint32_t audio = uint32_t(reply_kind::audio);
constexpr uint32_t done = uint32_t(reply_kind::done);
constexpr uint32_t voice_list = uint32_t(reply_kind::voice_list);
constexpr uint32_t probe_reply = uint32_t(reply_kind::probe_reply);

// Hands out a fixed set of blocks and records what it was asked to say.
class fake_engine : public server::speech_engine {
public:
    std::vector<std::vector<uint8_t>> blocks{{1, 2}, {3, 4, 5, 6}};
    std::vector<pipe::speak_request> requests;
    std::size_t blocks_taken = 0;
    bool available = true;  // false: no engine could be had

    bool speak(const pipe::speak_request& request, engine::audio_callback sink, void* sink_data) override {
        requests.push_back(request);
        if (!available) return false;
        for (const auto& block : blocks) {
            if (!sink(block.data(), uint32_t(block.size()), sink_data)) break;
            ++blocks_taken;
        }
        return true;
    }
};

void add_request(memory_stream& stream, request_kind kind) { stream.add_header(uint32_t(kind), 0); }

void add_speak(memory_stream& stream, const std::string& text, int voice = 0) {
    stream.add_message(uint32_t(request_kind::speak),
                       pipe::encode_speak_request(pipe::speak_request{text, voice, 0, 1.0f, 0, -1}));
}

struct session_run {
    std::vector<parsed_message> replies;
    server::server_flags flags;
    fake_engine engine;
    std::size_t unread = 0;
};

session_run serve(void (*script)(memory_stream&), std::size_t chunk = SIZE_MAX) {
    session_run run;
    memory_stream stream;
    stream.chunk = chunk;
    script(stream);
    server::serve_session(stream, run.flags, run.engine);
    EXPECT_TRUE(parse_messages(stream.output, run.replies)) << "server wrote a partial message";
    run.unread = stream.input.size() - stream.read_position;
    return run;
}

}  // namespace

// Each script is one connection; the session must answer with exactly the
// listed reply kinds and, unless noted, read everything the client sent.
TEST(Session, AnswersEveryRequestKindAsDocumented) {
    struct row {
        const char* what;
        void (*script)(memory_stream&);
        std::vector<uint32_t> kinds;
        std::size_t unread;
    };
    const row rows[] = {
        {"probe", [](memory_stream& s) { add_request(s, request_kind::probe); }, {probe_reply}, 0},
        {"voice list", [](memory_stream& s) { add_request(s, request_kind::list_voices); }, {voice_list}, 0},
        {"speak", [](memory_stream& s) { add_speak(s, "Hello"); }, {audio, audio, done}, 0},
        {"speak with empty text", [](memory_stream& s) { add_speak(s, ""); }, {audio, audio, done}, 0},
        {"speak of length 23, then a probe on the same connection",
         [](memory_stream& s) {
             s.add_message(2, std::vector<uint8_t>(23, 0));
             add_request(s, request_kind::probe);
         },
         {error, probe_reply}, 0},
        {"text_length near 2^32",
         [](memory_stream& s) {
             std::vector<uint8_t> payload = pipe::encode_speak_request(pipe::speak_request{"abc", 0, 0, 1.0f, 0, -1});
             payload[20] = payload[21] = payload[22] = payload[23] = 0xff;
             s.add_message(2, payload);
             add_request(s, request_kind::probe);
         },
         {error, probe_reply}, 0},
        {"unknown kinds",
         [](memory_stream& s) {
             s.add_header(5, 0);
             s.add_message(99, {1, 2, 3});
             s.add_header(0xFFFFFFFFu, 0);
         },
         {error, error, error}, 0},
        {"payload on a kind that takes none is read and discarded",
         [](memory_stream& s) {
             s.add_message(uint32_t(request_kind::probe), std::vector<uint8_t>(10, 2));
             s.add_message(uint32_t(request_kind::stop), {0, 0, 0, 0, 0, 0, 0, 0});
             add_request(s, request_kind::probe);
         },
         {probe_reply, ack, probe_reply}, 0},
        {"probe right after a stop",
         [](memory_stream& s) {
             add_request(s, request_kind::stop);
             add_request(s, request_kind::probe);
         },
         {ack, probe_reply}, 0},
        {"shutdown ends the session; later requests stay unread",
         [](memory_stream& s) {
             add_request(s, request_kind::shutdown);
             add_request(s, request_kind::probe);
         },
         {ack}, 8},
        {"oversize header ends the session without reading on",
         [](memory_stream& s) {
             s.add_header(2, 0x80000000u);
             add_request(s, request_kind::probe);
         },
         {}, 8},
        {"header above the speak cap",
         [](memory_stream& s) {
             s.add_header(2, pipe::max_payload_length + 1);
             add_request(s, request_kind::probe);
         },
         {}, 8},
        {"connection ends inside a payload",
         [](memory_stream& s) {
             s.add_header(2, 30);
             s.add(std::vector<uint8_t>(10).data(), 10);
         },
         {}, 0},
    };
    for (const row& r : rows) {
        for (std::size_t chunk : {SIZE_MAX, std::size_t(1)}) {
            const session_run run = serve(r.script, chunk);
            EXPECT_EQ(kinds_of(run.replies), r.kinds) << r.what << ", chunk " << chunk;
            EXPECT_EQ(run.unread, r.unread) << r.what << ", chunk " << chunk;
        }
    }
}

TEST(Session, VoiceListDescribesTheCatalogue) {
    const session_run run = serve([](memory_stream& s) { add_request(s, request_kind::list_voices); });
    ASSERT_EQ(run.replies.size(), 1u);
    const std::vector<uint8_t>& payload = run.replies[0].payload;
    ASSERT_EQ(payload.size(), 466u);
    pipe::voice_list_payload list;
    ASSERT_TRUE(pipe::decode_voice_list(payload.data(), payload.size(), list));
    ASSERT_EQ(list.entries.size(), 14u);
    const char* const* names = engine::voice_names();
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(pipe::entry_name(list.entries[i]), names[i]);
        const bool female = i == 1 || i == 3 || i == 6 || i == 11 || i == 12;
        EXPECT_EQ(list.entries[i].female, female ? 1 : 0) << names[i];
    }
    EXPECT_EQ(pipe::entry_name(list.entries[12]), "Greta");
    EXPECT_EQ(pipe::entry_name(list.entries[13]), "Quill");
}

TEST(Session, SpeakHandsTheValuesThroughUnchangedAndStreamsBlocksAsGiven) {
    session_run run;
    memory_stream stream;
    const pipe::speak_request request{"\xc3\xa9t\xc3\xa9", 13, -250, 0.75f, 42, 600};
    stream.add_message(2, pipe::encode_speak_request(request));
    server::serve_session(stream, run.flags, run.engine);
    ASSERT_EQ(run.engine.requests.size(), 1u);
    const pipe::speak_request& got = run.engine.requests[0];
    EXPECT_EQ(got.voice_index, 13);
    EXPECT_EQ(got.rate, -250);
    EXPECT_EQ(got.speed, 0.75f);
    EXPECT_EQ(got.volume, 42);
    EXPECT_EQ(got.pitch, 600);
    EXPECT_EQ(got.text, request.text);
    ASSERT_TRUE(parse_messages(stream.output, run.replies));
    ASSERT_EQ(run.replies.size(), 3u);
    EXPECT_EQ(run.replies[0].payload, (std::vector<uint8_t>{2, 0, 0, 0, 1, 2}));
    EXPECT_EQ(run.replies[1].payload, (std::vector<uint8_t>{4, 0, 0, 0, 3, 4, 5, 6}));
}

TEST(Session, AStopBetweenTwoSpeaksDoesNotSilenceTheSecond) {
    const session_run run = serve([](memory_stream& s) {
        add_speak(s, "one");
        add_request(s, request_kind::stop);
        add_speak(s, "two");
    });
    EXPECT_EQ(kinds_of(run.replies), (std::vector<uint32_t>{audio, audio, done, ack, audio, audio, done}));
    EXPECT_FALSE(run.flags.stop) << "cleared by the second speak";
}

TEST(Session, SinkRefusesWhileStoppedAndAfterAFailedWrite) {
    memory_stream stream;
    server::server_flags flags;
    server::sink_context context{&stream, &flags, {}};
    const uint8_t block[4] = {1, 2, 3, 4};
    EXPECT_TRUE(server::pipe_audio_sink(block, 4, &context));
    flags.stop = true;
    EXPECT_FALSE(server::pipe_audio_sink(block, 4, &context));
    EXPECT_EQ(stream.output.size(), 16u) << "nothing written while stopped";
    flags.stop = false;
    for (std::size_t limit : {16u + 4u, 16u + 8u + 2u, 16u + 8u + 4u + 2u}) {
        stream.write_limit = limit;
        EXPECT_FALSE(server::pipe_audio_sink(block, 4, &context)) << "write limit " << limit;
    }
}

TEST(Session, ClientGoneDuringSpeakStopsTheEngine) {
    memory_stream stream;
    add_speak(stream, "Hello");
    stream.write_limit = 8 + 4 + 2;  // the first block only
    session_run run;
    run.engine.blocks.assign(5, {9, 9});
    server::serve_session(stream, run.flags, run.engine);
    EXPECT_EQ(run.engine.blocks_taken, 1u);
}

TEST(Session, GatheredAudioIsWholeAndSentBeforeDone) {
    // An engine far faster than real time: blocks are gathered into larger
    // messages, and what is still held goes out before `done`.
    memory_stream stream;
    add_speak(stream, "Hello");
    session_run run;
    run.engine.blocks.clear();
    std::vector<uint8_t> expected;
    for (int i = 0; i < 300; ++i) {
        run.engine.blocks.push_back(std::vector<uint8_t>(i % 2 ? 2048 : 4096, uint8_t(i)));
        expected.insert(expected.end(), run.engine.blocks.back().begin(), run.engine.blocks.back().end());
    }
    server::serve_session(stream, run.flags, run.engine);
    ASSERT_TRUE(parse_messages(stream.output, run.replies));
    ASSERT_GE(run.replies.size(), 2u);
    EXPECT_LT(run.replies.size(), 100u) << "blocks gathered";
    EXPECT_EQ(run.replies.back().kind, done);
    std::vector<uint8_t> audio_bytes;
    for (std::size_t i = 0; i + 1 < run.replies.size(); ++i) {
        ASSERT_EQ(run.replies[i].kind, audio);
        audio_bytes.insert(audio_bytes.end(), run.replies[i].payload.begin() + 4, run.replies[i].payload.end());
    }
    EXPECT_EQ(audio_bytes, expected);
}

TEST(Session, ASpeakWithoutAnEngineIsAnsweredWithErrorAndTheConnectionGoesOn) {
    memory_stream stream;
    add_speak(stream, "Hello");
    add_request(stream, request_kind::probe);
    session_run run;
    run.engine.available = false;
    server::serve_session(stream, run.flags, run.engine);
    ASSERT_TRUE(parse_messages(stream.output, run.replies));
    EXPECT_EQ(kinds_of(run.replies), (std::vector<uint32_t>{error, probe_reply})) << "no silent done";
}

// Payload beyond a connection's free part is charged to the budget of all
// connections while its request is read and served, and given back after.
TEST(Session, RequestsBeyondThePayloadBudgetEndTheConnectionAndGiveEverythingBack) {
    constexpr std::size_t free_part = 100 * 1024, total = 300 * 1024;
    struct row {
        const char* what;
        std::size_t text_bytes;
        std::size_t held_elsewhere;  // taken by other connections meanwhile
        bool served;
    };
    const row rows[] = {
        {"within the free part", 90 * 1024, total, true},
        {"beyond it, within the budget", 350 * 1024, 0, true},
        {"beyond the budget", 450 * 1024, 0, false},
        {"within the budget, but others hold it", 200 * 1024, 250 * 1024, false},
    };
    for (const row& r : rows) {
        server::payload_budget budget(total);
        ASSERT_TRUE(budget.take(r.held_elsewhere));
        memory_stream stream;
        add_speak(stream, std::string(r.text_bytes, 'a'));
        add_request(stream, request_kind::probe);
        session_run run;
        {
            server::payload_charge charge(&budget, free_part);
            server::serve_session(stream, run.flags, run.engine, &charge);
        }
        ASSERT_TRUE(parse_messages(stream.output, run.replies)) << r.what;
        const std::vector<uint32_t> served{audio, audio, done, probe_reply};
        EXPECT_EQ(kinds_of(run.replies), r.served ? served : std::vector<uint32_t>{}) << r.what;
        EXPECT_EQ(budget.available(), total - r.held_elsewhere) << r.what << ": charge given back";
    }
}

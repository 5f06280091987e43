// The real OrvaneServer.exe with many clients at once: client processes
// speaking together, clients that hold a connection and say nothing, the
// connection limit, a crash in the middle of speech, a shutdown with
// others connected, a thousand connections in a row, and a legacy library
// whose orvDestroy ends every instance.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "pipe/pipe_client.h"
#include "server/limits.h"
#include "support/process_counters.h"
#include "tests/pipe/win_support.h"
#include "tests/server/server_control.h"
#include "utils/module.h"

using namespace Orvane::testing;
using namespace Orvane::support;
using Orvane::pipe::pipe_client;
namespace pipe = Orvane::pipe;
namespace utils = Orvane::utils;

namespace {

constexpr uint32_t ack = 0, audio = 2, done = 3, probe_reply = 5;
constexpr uint32_t failed_read = 0xFFFFFFFFu;

const std::wstring server_exe = widen(ORVANE_SERVER_EXE);
const std::wstring helper_exe = widen(ORVANE_HELPER_EXE);

std::wstring beside_server(const wchar_t* file) { return utils::parent_folder(server_exe) + L"\\" + file; }

// The server of `exe`, started if none runs; its process id.
DWORD serving(const std::wstring& exe = server_exe) {
    pipe_client(exe).launch_server();
    if (!wait_until(server_ready)) return 0;
    return running_server_pid();
}

std::string text_of(std::size_t characters) {
    const std::string sentence = "Many voices speak at once here. ";
    std::string text;
    while (text.size() < characters) text += sentence;
    text.resize(characters);
    return text;
}

speak_answer raw_speech(raw_client& client, const std::string& text, int voice = 0) {
    if (!client.send_message(2, raw_speak(text, voice))) return {};
    return read_speak_answer(client);
}

bool keep(const void* data, uint32_t bytes, void* context) {
    auto& out = *static_cast<std::vector<uint8_t>*>(context);
    out.insert(out.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + bytes);
    return true;
}

std::vector<uint8_t> file_bytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (FILE* in = _wfopen(path.c_str(), L"rb")) {
        uint8_t buffer[65536];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(in);
    }
    return bytes;
}

class Concurrency : public ::testing::Test {
protected:
    static void SetUpTestSuite() { stop_server(server_exe); }
    static void TearDownTestSuite() { stop_server(server_exe); }
    void SetUp() override { ASSERT_NE(serving(), 0u); }
};

}  // namespace

// Client processes that speak at the same moment each hear exactly what
// they hear alone, and all of them are heard before any has finished.
TEST_F(Concurrency, ClientProcessesSpeakingTogetherEachGetTheirOwnAudio) {
    const std::wstring folder = temp_folder(L"orvane-together");
    // Long enough that each speech outlasts the others' wake-up from the signal.
    const std::string narrow = text_of(3000);
    const std::wstring text(narrow.begin(), narrow.end());
    const int voices[] = {1, 4, 11, 13};
    auto pcm = [&](const std::wstring& tag, int i) { return folder + L"\\" + tag + std::to_wstring(i) + L".pcm"; };
    auto start_helper = [&](int i, const std::wstring& event_name, const std::wstring& out) {
        return start_process(helper_exe, L"speak-on \"" + server_exe + L"\" " + event_name + L" " +
                                             std::to_wstring(voices[i]) + L" \"" + text + L"\" \"" + out + L"\"");
    };

    // Alone: one client at a time, the signal to go given beforehand.
    const utils::unique_handle solo(CreateEventW(nullptr, TRUE, TRUE, L"Local\\orvane-go-solo"));
    for (int i = 0; i < 4; ++i) {
        const process_result result = wait_process(start_helper(i, L"Local\\orvane-go-solo", pcm(L"alone", i)));
        ASSERT_TRUE(result.exited && result.exit_code == 0) << "alone " << i << ": exit " << result.exit_code;
    }

    for (int count : {2, 4}) {
        SCOPED_TRACE(count);
        const std::wstring tag = L"together" + std::to_wstring(count) + L"-";
        const std::wstring event_name = L"Local\\orvane-go-" + tag;
        const utils::unique_handle go(CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));
        const utils::unique_handle ready(CreateSemaphoreW(nullptr, 0, count, (event_name + L"-ready").c_str()));
        std::vector<utils::unique_handle> helpers;
        for (int i = 0; i < count; ++i) helpers.push_back(start_helper(i, event_name, pcm(tag, i)));
        // All connected before any speaks; a helper that ends first could not connect.
        std::vector<HANDLE> waits{ready.get()};
        for (const auto& helper : helpers) waits.push_back(helper.get());
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(WaitForMultipleObjects(DWORD(waits.size()), waits.data(), FALSE, hang_guard_ms), WAIT_OBJECT_0)
                << "a helper ended before it was connected";
        SetEvent(go.get());
        for (auto& helper : helpers) {
            const process_result result = wait_process(helper);
            EXPECT_TRUE(result.exited && result.exit_code == 0) << "exit " << result.exit_code;
        }
        long long latest_first = 0, earliest_end = LLONG_MAX;
        for (int i = 0; i < count; ++i) {
            const std::vector<uint8_t> together = file_bytes(pcm(tag, i));
            EXPECT_FALSE(together.empty()) << "client " << i;
            EXPECT_EQ(together, file_bytes(pcm(L"alone", i))) << "client " << i;
            long long first = 0, end = 0;
            if (FILE* times = _wfopen((pcm(tag, i) + L".times").c_str(), L"r")) {
                EXPECT_EQ(fscanf(times, "%lld %lld", &first, &end), 2);
                fclose(times);
            }
            latest_first = std::max(latest_first, first);
            earliest_end = std::min(earliest_end, end);
        }
        EXPECT_LT(latest_first, earliest_end) << "every client heard audio before any had finished";
    }
}

// A client that connects and says nothing, and one that stops in the middle
// of a request, hold connections of their own; others are served meanwhile,
// and so are they once they go on.
TEST_F(Concurrency, SilentAndStalledClientsDoNotHoldUpOthers) {
    raw_client silent, stalled;
    ASSERT_TRUE(silent.connect());
    ASSERT_TRUE(stalled.connect());
    std::vector<uint8_t> request = raw_speak(text_of(976));
    std::vector<uint8_t> header;
    put_u32(header, 2);
    put_u32(header, uint32_t(request.size()));
    ASSERT_TRUE(stalled.send(header));
    ASSERT_TRUE(stalled.send({request.begin(), request.begin() + 10}));

    pipe_client other(server_exe);
    std::vector<uint8_t> heard;
    EXPECT_TRUE(other.speak({"Not held up.", 3, 0, 1.0f, 0, -1}, keep, &heard));
    EXPECT_FALSE(heard.empty());

    ASSERT_TRUE(stalled.send({request.begin() + 10, request.end()}));
    const speak_answer late = read_speak_answer(stalled);
    EXPECT_EQ(late.last, done);
    EXPECT_FALSE(late.audio.empty());
    ASSERT_TRUE(silent.send_header(0, 0));
    EXPECT_EQ(silent.next_kind(), probe_reply);
}

// With the limit of connections held, the next client finds the pipe busy
// and waits; it is served as soon as one connection ends.
TEST_F(Concurrency, TheClientBeyondTheLimitWaitsAndIsThenServed) {
    std::vector<std::unique_ptr<raw_client>> held;
    for (std::size_t i = 0; i < Orvane::server::max_connections; ++i) {
        held.push_back(std::make_unique<raw_client>());
        ASSERT_TRUE(held.back()->connect()) << i;
        ASSERT_TRUE(held.back()->send_header(0, 0));
        ASSERT_EQ(held.back()->next_kind(), probe_reply) << "connection " << i << " is served";
    }
    utils::unique_handle beyond(
        CreateFileW(test_pipe_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(beyond.valid());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PIPE_BUSY));

    std::atomic<bool> finished{false};
    bool spoke = false;
    std::vector<uint8_t> heard;
    std::thread waiting([&] {
        pipe_client client(server_exe);
        spoke = client.speak({"Served at last.", 0, 0, 1.0f, 0, -1}, keep, &heard);
        finished = true;
    });
    Sleep(300);
    EXPECT_FALSE(finished) << "served beyond the limit";
    held.front().reset();
    waiting.join();
    EXPECT_TRUE(spoke);
    EXPECT_FALSE(heard.empty());
}

// The server dies while two clients are inside a speech: both calls come
// back with what they heard, and their next speech starts one new server.
TEST_F(Concurrency, AServerKilledInTheMiddleOfSpeechIsReplacedOnceForBothClients) {
    const DWORD pid = running_server_pid();
    utils::unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(process.valid());
    const std::string long_text = text_of(20000);
    struct speaker {
        pipe_client client{server_exe};
        std::vector<uint8_t> heard;
        utils::unique_handle first_audio{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        utils::unique_handle returned{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        bool spoke = true;
    };
    speaker speakers[2];
    for (speaker& s : speakers) {
        std::vector<pipe::voice_entry> voices;
        ASSERT_TRUE(s.client.list_voices(voices)) << "both connected before the speech";
    }
    auto first_block = [](const void* data, uint32_t bytes, void* context) {
        auto& s = *static_cast<speaker*>(context);
        keep(data, bytes, &s.heard);
        SetEvent(s.first_audio.get());
        return true;
    };
    std::vector<std::thread> threads;
    for (speaker& s : speakers)
        threads.emplace_back([&s, &long_text, first_block] {
            s.spoke = s.client.speak({long_text, 2, 0, 1.0f, 0, -1}, first_block, &s);
            SetEvent(s.returned.get());
        });
    for (speaker& s : speakers) ASSERT_EQ(WaitForSingleObject(s.first_audio.get(), hang_guard_ms), WAIT_OBJECT_0);
    ASSERT_TRUE(TerminateProcess(process.get(), 9));
    for (speaker& s : speakers) EXPECT_EQ(WaitForSingleObject(s.returned.get(), 10000), WAIT_OBJECT_0) << "promptly";
    for (auto& t : threads) t.join();
    for (speaker& s : speakers) {
        EXPECT_FALSE(s.spoke) << "the speech did not end with done";
        EXPECT_FALSE(s.heard.empty());
    }
    ASSERT_TRUE(wait_until([] { return !mutex_exists(); }));

    const std::string sentence = "Back again.";
    std::vector<uint8_t> alone;
    threads.clear();
    for (speaker& s : speakers) {
        s.heard.clear();
        threads.emplace_back([&s, &sentence] { s.spoke = s.client.speak({sentence, 2, 0, 1.0f, 0, -1}, keep, &s.heard); });
    }
    for (auto& t : threads) t.join();
    for (speaker& s : speakers) {
        EXPECT_TRUE(s.spoke);
        EXPECT_EQ(s.heard, speakers[0].heard);
        EXPECT_FALSE(s.heard.empty());
    }
    EXPECT_EQ(count_processes(L"OrvaneServer.exe"), 1);
}

// A shutdown from one client answers it, closes every other connection
// (one idle, one stalled inside a request, one whose speech it is not
// reading), and the server exits with 0.
TEST_F(Concurrency, ShutdownWithOthersConnectedAnswersItAndClosesTheRest) {
    const DWORD pid = running_server_pid();
    utils::unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    ASSERT_TRUE(process.valid());
    raw_client idle, stalled, unread, requester;
    ASSERT_TRUE(idle.connect());
    ASSERT_TRUE(idle.send_header(0, 0));
    ASSERT_EQ(idle.next_kind(), probe_reply);
    ASSERT_TRUE(stalled.connect());
    ASSERT_TRUE(stalled.send_header(2, 500));
    ASSERT_TRUE(stalled.send({1, 2, 3, 4, 5}));
    ASSERT_TRUE(unread.connect());
    ASSERT_TRUE(unread.send_message(2, raw_speak(text_of(20000))));
    raw_message first;
    ASSERT_TRUE(unread.read(first));
    ASSERT_EQ(first.kind, audio);

    ASSERT_TRUE(requester.connect());
    ASSERT_TRUE(requester.send_header(4, 0));
    EXPECT_EQ(requester.next_kind(), ack);
    EXPECT_EQ(requester.next_kind(), failed_read);
    EXPECT_EQ(idle.next_kind(), failed_read);
    EXPECT_EQ(stalled.next_kind(), failed_read);
    EXPECT_EQ(read_speak_answer(unread).last, failed_read) << "cut in the middle of its speech";
    const process_result ended = wait_process(process);
    EXPECT_TRUE(ended.exited);
    EXPECT_EQ(ended.exit_code, 0u);
    EXPECT_FALSE(mutex_exists());
    EXPECT_FALSE(pipe_exists());
}

// Each connection's thread, driver and buffers go with it.
TEST_F(Concurrency, AThousandConnectionsLeaveTheServerAsItWas) {
    utils::unique_handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, running_server_pid()));
    ASSERT_TRUE(process.valid());
    const std::string text = "Hi there.";
    auto one_connection = [&] {
        raw_client client;
        return client.connect() ? raw_speech(client, text).audio.size() : 0;
    };
    const size_t full = one_connection();
    ASSERT_GT(full, 0u);
    for (int i = 0; i < 100; ++i) one_connection();
    read_process_counters(process.get());
    const process_counters before = read_process_counters(process.get());
    int short_answers = 0;
    for (int i = 0; i < 1000; ++i) short_answers += one_connection() != full;
    // Connection threads end just after their client has gone.
    Sleep(200);
    const process_counters after = read_process_counters(process.get());
    const double memory_growth = double(after.memory_bytes()) - double(before.memory_bytes());
    std::printf("1000 connections: server memory %+.0f bytes, handles %+lld\n", memory_growth,
                (long long)after.handles - (long long)before.handles);
    EXPECT_EQ(short_answers, 0);
    EXPECT_LT(memory_growth, 2.0 * 1024 * 1024);
    EXPECT_LE(double(after.handles) - double(before.handles), 8.0);
}

// With a legacy library whose orvDestroy ends every open instance, a
// connection that ends must leave the others' speech whole.
TEST_F(Concurrency, ConnectionsThatEndLeaveTheOthersSpeakingWithAStrictLibrary) {
    stop_server(server_exe);
    const std::wstring folder = temp_folder(L"orvane-strict-server");
    const std::wstring exe = folder + L"\\OrvaneServer.exe", legacy = folder + L"\\o32_tts.dll";
    ASSERT_TRUE(CopyFileW(server_exe.c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(beside_server(L"o32_tts_destroy_ends_all.dll").c_str(), legacy.c_str(), FALSE));
    ASSERT_NE(serving(exe), 0u);
    {
        raw_client clients[3];
        size_t full = 0;
        for (raw_client& c : clients) {
            ASSERT_TRUE(c.connect());
            full = raw_speech(c, "Still whole.").audio.size();
            EXPECT_GT(full, 0u);
        }
        clients[0].close();
        Sleep(200);  // its thread has released its driver
        for (raw_client* c : {&clients[1], &clients[2]}) EXPECT_EQ(raw_speech(*c, "Still whole.").audio.size(), full);
        clients[1].close();
        raw_client fresh;
        ASSERT_TRUE(fresh.connect());
        EXPECT_EQ(raw_speech(fresh, "Still whole.").audio.size(), full);
        EXPECT_EQ(raw_speech(clients[2], "Still whole.").audio.size(), full);
    }
    stop_server(exe);
    DeleteFileW(exe.c_str());
    DeleteFileW(legacy.c_str());
    RemoveDirectoryW(folder.c_str());
}

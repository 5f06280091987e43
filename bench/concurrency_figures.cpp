// 64-bit only: several clients of one speech server at once, each with a
// connection of its own, as several 64-bit applications would be.
#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/figures.h"
#include "bench/texts.h"
#include "pipe/pipe_client.h"
#include "support/process_counters.h"
#include "utils/handle.h"

namespace Orvane::bench {
namespace {

// A client with its connection made, ready to speak.
std::unique_ptr<pipe::pipe_client> connected_client(const std::wstring& server) {
    auto client = std::make_unique<pipe::pipe_client>(server);
    std::vector<pipe::voice_entry> voices;
    if (!client->list_voices(voices)) throw std::runtime_error("a client could not connect to the speech server");
    return client;
}

void speak_or_throw(pipe::pipe_client& client, const std::string& text, engine::audio_callback sink, void* context) {
    if (!client.speak({text}, sink, context))
        throw std::runtime_error("the speech server did not finish a speak request");
}

// A probe whose first block is also told to another thread.
struct signalling_probe {
    audio_probe probe;
    utils::unique_handle first_block{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> finished{false};

    static bool take(const void* data, uint32_t byte_count, void* context) {
        auto& self = *static_cast<signalling_probe*>(context);
        const bool more = audio_probe::take(data, byte_count, &self.probe);
        SetEvent(self.first_block.get());
        return more;
    }
};

// Client B's first audio of one sentence, alone and while client A streams
// the long text on its own connection.
void measure_first_audio_beside_a_stream(const options& opts, results& out, const std::wstring& server) {
    const std::string sentence = one_sentence(), long_text = text_of_characters(opts.sizes.long_characters);
    auto a = connected_client(server), b = connected_client(server);
    for (int run = 0; run < opts.sizes.concurrent_runs; ++run) {
        audio_probe alone;
        alone.start = clock_type::now();
        speak_or_throw(*b, sentence, audio_probe::take, &alone);
        out.add("beside_stream_alone_first_audio_ms", alone.first_audio_ms());

        signalling_probe streaming;
        std::exception_ptr failure;
        std::thread stream([&] {
            try {
                streaming.probe.start = clock_type::now();
                speak_or_throw(*a, long_text, signalling_probe::take, &streaming);
            } catch (...) {
                failure = std::current_exception();
            }
            streaming.finished = true;
        });
        WaitForSingleObject(streaming.first_block.get(), 60000);
        audio_probe beside;
        beside.start = clock_type::now();
        speak_or_throw(*b, sentence, audio_probe::take, &beside);
        const bool still_streaming = !streaming.finished;
        stream.join();
        if (failure) std::rethrow_exception(failure);
        out.add("beside_stream_first_audio_ms", beside.first_audio_ms());
        out.add("beside_stream_total_ms", ms_since(beside.start));
        out.add("beside_stream_a_still_streaming", still_streaming ? 1 : 0, "bool");
    }
}

// N clients each speaking the long text at the same moment: the wall time
// until the last is done.
void measure_clients_at_once(const options& opts, results& out, const std::wstring& server) {
    const std::string long_text = text_of_characters(opts.sizes.long_characters);
    for (int run = 0; run < opts.sizes.concurrent_runs; ++run) {
        for (const int count : {1, 2, 4}) {
            std::vector<std::unique_ptr<pipe::pipe_client>> clients;
            for (int i = 0; i < count; ++i) clients.push_back(connected_client(server));
            utils::unique_handle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            std::atomic<int> failures{0};
            std::vector<std::thread> threads;
            for (auto& client : clients)
                threads.emplace_back([&, c = client.get()] {
                    WaitForSingleObject(go.get(), INFINITE);
                    audio_probe probe;
                    if (!c->speak({long_text}, audio_probe::take, &probe)) ++failures;
                });
            const auto start = clock_type::now();
            SetEvent(go.get());
            for (auto& t : threads) t.join();
            const double wall = ms_since(start);
            if (failures) throw std::runtime_error("a client's long text did not finish");
            out.add("clients_at_once_" + std::to_string(count) + "_ms", wall);
        }
    }
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    out.fact("cores", double(system.dwNumberOfProcessors));
}

// What one more connection costs the server: connections that have each
// spoken once (a thread, a driver and its window each) are held open.
void measure_memory_per_connection(const options& opts, results& out, const std::wstring& server,
                                   unsigned long server_id) {
    utils::unique_handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, server_id));
    if (!process) throw std::runtime_error("cannot open the speech server's process");
    const std::string sentence = one_sentence();
    const int held = opts.sizes.held_connections;
    out.fact("held_connections", double(held));
    for (int run = 0; run < opts.sizes.concurrent_runs; ++run) {
        support::read_process_counters(process.get());  // its own first allocations are not the run's
        const support::process_counters before = support::read_process_counters(process.get());
        std::vector<std::unique_ptr<pipe::pipe_client>> clients;
        for (int i = 0; i < held; ++i) {
            clients.push_back(connected_client(server));
            audio_probe probe;
            speak_or_throw(*clients.back(), sentence, audio_probe::take, &probe);
        }
        const support::process_counters holding = support::read_process_counters(process.get());
        clients.clear();
        Sleep(200);  // the connections' threads end once their clients have gone
        const support::process_counters after = support::read_process_counters(process.get());
        auto difference = [](uint64_t later, uint64_t earlier) { return double(later) - double(earlier); };
        out.add("per_connection_memory_bytes", difference(holding.memory_bytes(), before.memory_bytes()) / held, "bytes");
        out.add("per_connection_handles", difference(holding.handles, before.handles) / held, "handles");
        out.add("after_connections_memory_growth_bytes", difference(after.memory_bytes(), before.memory_bytes()), "bytes");
        out.add("after_connections_handle_growth", difference(after.handles, before.handles), "handles");
    }
}

}  // namespace

void measure_concurrency(const options& opts, results& out, const std::wstring& server, unsigned long server_id) {
    measure_first_audio_beside_a_stream(opts, out, server);
    measure_clients_at_once(opts, out, server);
    measure_memory_per_connection(opts, out, server, server_id);
}

}  // namespace Orvane::bench

// 64-bit only: what the speech server costs in its own process, and how
// long the first request of a host waits when no server runs yet.
#include <windows.h>

#include <stdexcept>

#include "bench/figures.h"
#include "bench/texts.h"
#include "pipe/names.h"
#include "sapi/process_pipe_client.h"
#include "support/process_counters.h"
#include "utils/handle.h"
#include "utils/process.h"

namespace Orvane::bench {
namespace {

constexpr int connect_attempts = 20;
constexpr DWORD connect_pause_ms = 100;

// Ends the process client's connection and the server, if one runs.
void stop_server(const std::wstring& server) {
    sapi::destroy_process_pipe_client();
    pipe::pipe_client(server).shutdown_server();
    if (pipe::pipe_client::server_running()) throw std::runtime_error("the speech server did not stop");
}

void add_counters(results& out, int utterances, const support::process_counters& counters) {
    out.add("server_checkpoint_utterances", utterances, "utterances");
    out.add("server_private_bytes", double(counters.private_bytes), "bytes");
    out.add("server_working_set_bytes", double(counters.working_set_bytes), "bytes");
    out.add("server_handles", double(counters.handles), "handles");
}

}  // namespace

unsigned long start_server_and_find_it(const std::wstring& server) {
    pipe::pipe_client launcher(server);
    if (!launcher.launch_server()) throw std::runtime_error("cannot start the speech server");
    // Our own short connection, made before any client holds the pipe.
    for (int attempt = 0; attempt < connect_attempts; ++attempt) {
        utils::unique_handle pipe(CreateFileW(pipe::pipe_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        ULONG id = 0;
        if (pipe && GetNamedPipeServerProcessId(pipe.get(), &id)) return id;
        Sleep(connect_pause_ms);
    }
    throw std::runtime_error("cannot connect to the speech server");
}

void measure_server_resources(const options& opts, results& out, direct_speaker& direct, unsigned long server_id) {
    utils::unique_handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, server_id));
    if (!process) throw std::runtime_error("cannot open the speech server's process");
    const std::string text = text_of_words(2);
    int spoken = 0;
    for (const int checkpoint : opts.sizes.memory_checkpoints) {
        for (; spoken < checkpoint; ++spoken) {
            audio_probe probe;
            direct.speak(text, 1.0f, probe);
        }
        add_counters(out, spoken, support::read_process_counters(process.get()));
    }
}

namespace {

// A 32-bit program of the system's own that does nothing: what starting
// any 32-bit process costs here, against which the server's start is read.
double time_bare_32_bit_process() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return -1;
    utils::process_launch launch;
    launch.command_line = L"\"" + std::wstring(folder, length) + L"\\cmd.exe\" /c exit 0";
    const auto start = clock_type::now();
    const utils::unique_handle process = utils::create_process(launch);
    if (!process || WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return -1;
    return ms_since(start);
}

}  // namespace

void measure_cold_start(const options& opts, results& out, const std::wstring& server) {
    const std::string sentence = one_sentence();
    for (int run = 0; run < opts.sizes.cold_runs; ++run) {
        // The whole road: library load to the first audio block.
        stop_server(server);
        audio_probe probe;
        const auto start = clock_type::now();
        sapi::create_process_pipe_client(server);
        pipe::pipe_client* client = sapi::process_pipe_client();
        if (!client || !client->speak({sentence}, audio_probe::take, &probe) || !probe.any)
            throw std::runtime_error("no audio from a freshly started server");
        out.add("cold_first_audio_ms", ms_between(start, probe.first));

        // Its parts: starting the process until its mutex shows, then connecting.
        stop_server(server);
        pipe::pipe_client parts(server);
        const auto launch = clock_type::now();
        if (!parts.launch_server()) throw std::runtime_error("cannot start the speech server");
        const auto launched = clock_type::now();
        if (!parts.ensure_connected()) throw std::runtime_error("cannot connect to a started server");
        out.add("cold_launch_ms", ms_between(launch, launched));
        out.add("cold_connect_ms", ms_since(launched));
        const double bare = time_bare_32_bit_process();
        if (bare >= 0) out.add("bare_32_bit_process_ms", bare);
    }
    stop_server(server);
}

}  // namespace Orvane::bench

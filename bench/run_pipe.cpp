// The 64-bit program: every request goes through the speech server.
#include <windows.h>

#include <stdexcept>

#include "bench/figures.h"
#include "sapi/process_pipe_client.h"

namespace Orvane::bench {
namespace {

std::wstring server_path(const options& opts) {
    if (opts.server.empty()) return ORVANE_SERVER_EXE;
    const int length = MultiByteToWideChar(CP_ACP, 0, opts.server.c_str(), -1, nullptr, 0);
    std::wstring path(length > 0 ? length : 1, L'\0');
    if (length <= 0 || !MultiByteToWideChar(CP_ACP, 0, opts.server.c_str(), -1, path.data(), length))
        throw std::runtime_error("unreadable server path");
    path.resize(length - 1);
    return path;
}

// The process client lives from here to the end, as in a host that keeps
// the library loaded; the server is stopped on every way out.
struct client_scope {
    explicit client_scope(const std::wstring& server) : server(server) { sapi::create_process_pipe_client(server); }
    ~client_scope() {
        if (auto* client = sapi::process_pipe_client()) client->shutdown_server();
        sapi::destroy_process_pipe_client();
    }
    std::wstring server;
};

}  // namespace

const char* program_name() { return "orvane-bench64"; }

void run_figures(const options& opts, results& out) {
    const std::wstring server = server_path(opts);
    const unsigned long server_id = start_server_and_find_it(server);
    client_scope scope(server);
    direct_speaker direct;
    sapi_runner sapi;
    measure_message_cost(opts, out);
    measure_compute_alone(opts, out);
    measure_long_text(opts, out, direct, sapi, nullptr);
    measure_first_audio(opts, out, direct);
    measure_streaming(opts, out, direct);
    measure_abort(opts, out, direct, sapi);
    measure_server_resources(opts, out, direct, server_id);
    measure_concurrency(opts, out, server, server_id);
    measure_cold_start(opts, out, server);
}

}  // namespace Orvane::bench

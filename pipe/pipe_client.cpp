#include "pipe/pipe_client.h"

#include <exception>
#include <mutex>

#include "pipe/names.h"
#include "pipe/poll.h"
#include "pipe/server_identity.h"
#include "pipe/server_launch.h"
#include "pipe/server_path.h"

namespace Orvane::pipe {
namespace {

constexpr int connect_attempts = 5;
constexpr ULONGLONG relaunch_pause_ms = 300;  // the longest wait for the pipe per attempt
constexpr DWORD busy_wait_ms = 1000;
constexpr ULONGLONG shutdown_wait_ms = 2000;

// Allocation failures inside an operation become a failed result.
template <typename F>
bool guarded(F&& operation) {
    try {
        return operation();
    } catch (const std::exception&) {
        return false;
    }
}

// A server that was just started creates its pipe soon after its mutex;
// sleeping the whole pause would add it to every cold start.
void wait_for_pipe(ULONGLONG limit_ms) {
    // Any answer but "no such pipe" means the pipe exists now.
    poll_until([] { return WaitNamedPipeW(pipe_name, 1) || GetLastError() != ERROR_FILE_NOT_FOUND; }, limit_ms);
}

}  // namespace

pipe_client::pipe_client() : server_path_(resolve_server_path()) {}

pipe_client::pipe_client(std::wstring server_path) : server_path_(std::move(server_path)) {}

bool pipe_client::server_running() { return server_mutex_exists(); }

bool pipe_client::launch_server() { return launch_server_process(server_path_); }

bool pipe_client::connect_once(DWORD& error) {
    utils::unique_handle pipe(CreateFileW(pipe_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe) {
        error = GetLastError();
        return false;
    }
    // Only the expected server may receive our texts.
    if (!served_by(pipe.get(), server_path_)) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    DWORD mode = PIPE_READMODE_BYTE | PIPE_WAIT;
    SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr);
    connection_ = std::make_unique<pipe_connection>(std::move(pipe));
    return true;
}

bool pipe_client::ensure_connected() {
    if (connection_) return true;
    for (int attempt = 0; attempt < connect_attempts; ++attempt) {
        DWORD error = 0;
        if (connect_once(error)) return true;
        if (error == ERROR_FILE_NOT_FOUND) {
            // No server runs and none can be started: nothing will come.
            if (attempt == 0 && !launch_server()) return false;
            wait_for_pipe(relaunch_pause_ms);
        } else if (error == ERROR_PIPE_BUSY) {
            WaitNamedPipeW(pipe_name, busy_wait_ms);
        } else {
            return false;
        }
    }
    return false;
}

bool pipe_client::read_message(uint32_t& kind, std::vector<uint8_t>& payload) {
    if (!connection_) return false;
    message_header header;
    const bool whole = pipe::read_message(connection_->stream(), header, payload) == read_result::ok;
    if (whole) kind = header.kind;
    return whole;
}

template <typename Exchange>
bool pipe_client::exchange(Exchange&& run) {
    const bool kept = connection_ != nullptr;
    if (!ensure_connected()) return false;
    exchange_outcome outcome = run(connection_->stream());
    if (!outcome.connection_usable) disconnect();
    // A connection kept from an earlier request may have outlived its
    // server. Nothing was answered, so the request goes once more over a
    // fresh connection, which starts a new server if need be.
    if (kept && !outcome.connection_usable && !outcome.answered) {
        if (!ensure_connected()) return false;
        outcome = run(connection_->stream());
        if (!outcome.connection_usable) disconnect();
    }
    return outcome.success;
}

bool pipe_client::list_voices(std::vector<voice_entry>& voices) {
    std::lock_guard<utils::critical_section> hold(lock_);
    voices.clear();
    return guarded([&] { return exchange([&](byte_stream& stream) { return request_voice_list(stream, voices); }); });
}

bool pipe_client::speak(const engine::synthesis_request& request, engine::audio_callback consumer, void* context) {
    std::lock_guard<utils::critical_section> hold(lock_);
    return guarded([&] {
        return exchange([&](byte_stream& stream) { return request_speech(stream, request, consumer, context); });
    });
}

void pipe_client::shutdown_server() {
    std::lock_guard<utils::critical_section> hold(lock_);
    if (!server_running()) return;
    guarded([&] {
        if (ensure_connected()) {
            request_shutdown(connection_->stream());
            disconnect();
        }
        return true;
    });
    poll_until([] { return !server_running(); }, shutdown_wait_ms);
}

}  // namespace Orvane::pipe

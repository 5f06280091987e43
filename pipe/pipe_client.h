#pragma once
// The 64-bit library's road to the 32-bit speech server: finds and starts
// the server, keeps one connection for the life of the process and turns
// voice-list and speak calls into pipe exchanges. Every operation reports
// by its result alone; pipe and process errors never escape as exceptions.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pipe/client_exchange.h"
#include "pipe/pipe_connection.h"
#include "pipe/protocol.h"
#include "utils/critical_section.h"
#include "utils/handle.h"

namespace Orvane::pipe {

class pipe_client {
public:
    // Resolves server_path from the installation folder or this module's location.
    pipe_client();
    // Uses the given server executable (tools and tests).
    explicit pipe_client(std::wstring server_path);
    ~pipe_client() = default;
    pipe_client(const pipe_client&) = delete;
    pipe_client& operator=(const pipe_client&) = delete;

    // Fills `voices` (cleared first); true when a whole voice list arrived.
    bool list_voices(std::vector<voice_entry>& voices);

    // True when the server ended the speech with `done`. `consumer` runs on
    // this thread with the lock held and must not call back into the client.
    bool speak(const engine::synthesis_request& request, engine::audio_callback consumer, void* context);

    // Asks a running server to exit and waits up to about 2 s for it to go.
    void shutdown_server();

    const std::wstring& server_path() const { return server_path_; }

    // True when the server's mutex exists.
    static bool server_running();

    // The caller holds the lock for these three.
    bool ensure_connected();
    bool launch_server();
    bool read_message(uint32_t& kind, std::vector<uint8_t>& payload);

private:
    bool connect_once(DWORD& error);
    // Runs one request/answer exchange over the connection, connecting
    // first; the caller holds the lock and catches what it throws.
    template <typename Exchange>
    bool exchange(Exchange&& run);
    void disconnect() { connection_.reset(); }

    std::unique_ptr<pipe_connection> connection_;
    std::wstring server_path_;
    utils::critical_section lock_;
};

}  // namespace Orvane::pipe

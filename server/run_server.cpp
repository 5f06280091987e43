#include "server/run_server.h"

#include <memory>

#include "engine/legacy_library.h"
#include "pipe/names.h"
#include "server/connections.h"
#include "server/limits.h"
#include "server/pipe_listener.h"
#include "utils/handle.h"

namespace Orvane::server {
namespace {

enum class mutex_state { failed, already_running, owned };

mutex_state take_server_mutex(utils::owned_mutex& owner) {
    utils::unique_handle handle(CreateMutexW(nullptr, TRUE, pipe::server_mutex_name));
    if (!handle) return mutex_state::failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return mutex_state::already_running;
    owner = utils::owned_mutex(std::move(handle));
    return mutex_state::owned;
}

// One instance listens while fewer than the limit are connected; each
// client that connects is served on its own thread.
void accept_loop(connection_set& connections) {
    while (!connections.quitting()) {
        if (connections.full()) {
            const HANDLE waits[] = {connections.ended_event(), connections.quit_event()};
            WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            continue;
        }
        utils::unique_handle instance = create_pipe_instance();
        if (!instance) {
            WaitForSingleObject(connections.quit_event(), 1000);
            continue;
        }
        if (wait_for_client(instance.get(), connections.quit_event()) == connect_result::connected)
            connections.start(std::move(instance));
        else
            close_pipe_instance(instance, false);
    }
}

}  // namespace

int run_server() {
    utils::owned_mutex server_mutex;
    switch (take_server_mutex(server_mutex)) {
    case mutex_state::failed: return 1;
    case mutex_state::already_running: return 0;
    case mutex_state::owned: break;
    }
    // The server's own driver proves that the legacy engine loads, and its
    // instance keeps what the library's instances share alive until the
    // last connection's driver has gone: orvDestroy runs once, at exit.
    engine::engine_driver_ptr keeper = engine::load_legacy_engine(nullptr);
    if (!keeper) return 1;
    const auto connections = std::make_shared<connection_set>(max_connections);
    accept_loop(*connections);
    if (!connections->wait_until_empty(shutdown_wait_ms)) {
        // A connection is stuck in the legacy engine or on a client that
        // reads nothing: end without it, and without calling into the
        // legacy library under its feet.
        server_mutex = utils::owned_mutex();
        ExitProcess(0);
    }
    return 0;
}

}  // namespace Orvane::server

#include "server/run_server.h"

#include <exception>

#include "pipe/handle_stream.h"
#include "pipe/names.h"
#include "server/driver_engine.h"
#include "server/pipe_listener.h"

namespace Orvane::server {
namespace {

enum class mutex_state { failed, already_running, owned };

mutex_state take_server_mutex(pipe::owned_mutex& owner) {
    pipe::unique_handle handle(CreateMutexW(nullptr, TRUE, pipe::server_mutex_name));
    if (!handle) return mutex_state::failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return mutex_state::already_running;
    owner = pipe::owned_mutex(std::move(handle));
    return mutex_state::owned;
}

void serve_connection(HANDLE instance, server_flags& flags, speech_engine& engine) {
    pipe::handle_stream stream(instance);
    try {
        serve_session(stream, flags, engine);
    } catch (const std::exception&) {
        // An allocation failure while answering ends this connection only.
    }
}

void accept_loop(server_flags& flags, speech_engine& engine) {
    while (!flags.quit) {
        pipe::unique_handle instance = create_pipe_instance();
        if (!instance) {
            Sleep(1000);
            continue;
        }
        if (wait_for_client(instance.get())) serve_connection(instance.get(), flags, engine);
        close_pipe_instance(instance);
    }
}

}  // namespace

int run_server() {
    pipe::owned_mutex server_mutex;
    switch (take_server_mutex(server_mutex)) {
    case mutex_state::failed: return 1;
    case mutex_state::already_running: return 0;
    case mutex_state::owned: break;
    }
    engine::engine_driver_ptr driver = load_legacy_engine();
    if (!driver) return 1;
    driver_engine engine(driver.get());
    server_flags flags;
    accept_loop(flags, engine);
    return 0;
}

}  // namespace Orvane::server

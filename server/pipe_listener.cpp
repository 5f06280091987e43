#include "server/pipe_listener.h"

#include "pipe/names.h"

namespace Orvane::server {

pipe::unique_handle create_pipe_instance() {
    // Remote clients are refused: the pipe only serves this machine's library.
    const DWORD mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    return pipe::unique_handle(CreateNamedPipeW(pipe::pipe_name, PIPE_ACCESS_DUPLEX, mode, PIPE_UNLIMITED_INSTANCES,
                                                pipe::pipe_buffer_size, pipe::pipe_buffer_size, 0, nullptr));
}

bool wait_for_client(HANDLE instance) {
    return ConnectNamedPipe(instance, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
}

void close_pipe_instance(pipe::unique_handle& instance) {
    if (instance) DisconnectNamedPipe(instance.get());
    instance.reset();
}

}  // namespace Orvane::server

#include "server/pipe_listener.h"

#include "pipe/names.h"
#include "server/overlapped_io.h"

namespace Orvane::server {

utils::unique_handle create_pipe_instance() {
    // Remote clients are refused: the pipe only serves this machine's library.
    const DWORD mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    return utils::unique_handle(CreateNamedPipeW(pipe::pipe_name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, mode,
                                                PIPE_UNLIMITED_INSTANCES, pipe::pipe_buffer_size,
                                                pipe::pipe_buffer_size, 0, nullptr));
}

connect_result wait_for_client(HANDLE instance, HANDLE cancel) {
    utils::unique_handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return connect_result::failed;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL started = ConnectNamedPipe(instance, &overlapped);
    // A client that came between the instance's creation and this call.
    if (!started && GetLastError() == ERROR_PIPE_CONNECTED) return connect_result::connected;
    DWORD transferred = 0;
    if (finish_overlapped(instance, overlapped, started, cancel, transferred)) return connect_result::connected;
    return WaitForSingleObject(cancel, 0) == WAIT_OBJECT_0 ? connect_result::cancelled : connect_result::failed;
}

void close_pipe_instance(utils::unique_handle& instance, bool flush) {
    if (instance) {
        if (flush) FlushFileBuffers(instance.get());
        DisconnectNamedPipe(instance.get());
    }
    instance.reset();
}

}  // namespace Orvane::server

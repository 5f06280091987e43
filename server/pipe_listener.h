#pragma once
// Pipe instances of the server, opened for overlapped use so that waiting
// for a client or for a client's bytes can be cut short by a shutdown.

#include <windows.h>

#include "utils/handle.h"

namespace Orvane::server {

// A fresh instance of the pipe, local clients only; empty on failure.
utils::unique_handle create_pipe_instance();

enum class connect_result { connected, failed, cancelled };

// Waits until a client connects to `instance` or `cancel` is signalled.
connect_result wait_for_client(HANDLE instance, HANDLE cancel);

// Disconnects and closes the instance. With `flush`, first waits until the
// client has read every reply written to it: disconnecting throws away
// whatever is still unread.
void close_pipe_instance(utils::unique_handle& instance, bool flush);

}  // namespace Orvane::server

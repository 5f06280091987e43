#pragma once
// The server's one pipe instance at a time.

#include "pipe/handle.h"

namespace Orvane::server {

// A fresh instance of the pipe, local clients only; empty on failure.
pipe::unique_handle create_pipe_instance();

// Waits without a time-out until a client connects; true when one did.
bool wait_for_client(HANDLE instance);

// Disconnects and closes the instance.
void close_pipe_instance(pipe::unique_handle& instance);

}  // namespace Orvane::server

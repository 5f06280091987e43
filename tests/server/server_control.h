#pragma once
// The real server as its tests see it: ready to serve, and stopped again.

#include <gtest/gtest.h>

#include <string>

#include "pipe/pipe_client.h"
#include "tests/pipe/win_support.h"

namespace Orvane::testing {

// True once the server's mutex and its pipe both exist.
inline bool server_ready() { return mutex_exists() && pipe_exists(); }

// Asks the running server, if any, to end, as a client of `exe` would,
// and waits until it has.
inline void stop_server(const std::wstring& exe) {
    if (!mutex_exists()) return;
    pipe::pipe_client(exe).shutdown_server();
    ASSERT_TRUE(wait_until([] { return !mutex_exists(); }));
}

}  // namespace Orvane::testing

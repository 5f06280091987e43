#pragma once

namespace Orvane::server {

// The whole server: 0 after a shutdown request or when another server
// already runs, 1 when it cannot start.
int run_server();

}  // namespace Orvane::server

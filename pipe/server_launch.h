#pragma once
// Starting the server process, ordered between client processes by a
// machine-wide launch mutex so that concurrent clients start one server.

#include <string>

namespace Orvane::pipe {

bool server_mutex_exists();

// True when a server runs or one was started from `server_path`; false
// when none can be: no executable, or it ended without showing its mutex.
bool launch_server_process(const std::wstring& server_path);

}  // namespace Orvane::pipe

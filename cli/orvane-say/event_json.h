#pragma once
// One event as one JSON object on one line, for --events.

#include <string>

#include "standins/sapi_host/engine_site.h"

namespace Orvane::say {

// {"event":"word","offset":BYTES,"wparam":N,"lparam":N}, with "text" for a
// bookmark's string (whose lParam, a pointer, is printed as 0).
std::string event_json(const sapi_host::recorded_event& event);

}  // namespace Orvane::say

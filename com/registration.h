#pragma once
// The library's own registry entries: its two classes, and the entry
// through which SAPI finds the voices.

namespace Orvane::com {

// Both classes and the SAPI token enumerator entry, for the running module.
void register_server();

// The SAPI entry (a missing one is fine), then both classes.
void unregister_server();

}  // namespace Orvane::com

#pragma once
// What a process holds, read from outside or inside it: for tests that a
// long run leaves memory and handles where they were.

#include <windows.h>

#include <cstdint>

namespace Orvane::support {

struct process_counters {
    uint64_t private_bytes = 0;  // 0 where the system does not report it (Wine)
    uint64_t working_set_bytes = 0;
    uint64_t handles = 0;

    // Private bytes where reported, else the working set.
    uint64_t memory_bytes() const { return private_bytes ? private_bytes : working_set_bytes; }
};

// Throws std::runtime_error when the counters cannot be read. Handles come
// from the system's handle table where the process count answers 0 (Wine).
process_counters read_process_counters(HANDLE process);

}  // namespace Orvane::support

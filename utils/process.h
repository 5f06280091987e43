#pragma once
// Starting a process: the one place that calls CreateProcessW.

#include <windows.h>

#include <string>

#include "utils/handle.h"

namespace Orvane::utils {

struct process_launch {
    std::wstring application;   // empty: the first word of the command line
    std::wstring command_line;  // empty: the application alone
    const wchar_t* directory = nullptr;
    // Hidden, and with no standard handles of ours: under Wine a child given
    // none of its own keeps the caller's Unix output, and a shell that waits
    // for that output to close would wait for the child's exit.
    bool detached = false;
};

// The started process, or empty with the reason in GetLastError().
unique_handle create_process(const process_launch& launch);

}  // namespace Orvane::utils

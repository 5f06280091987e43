#pragma once
// Waiting for another process to reach a state we can only look at: ask
// often, so that the wait ends soon after the state is reached, and give
// up after a bound.

#include <windows.h>

namespace Orvane::pipe {

inline constexpr DWORD default_poll_interval_ms = 10;

// Asks `reached` until it answers true or `limit_ms` have passed; returns
// its last answer.
template <typename Reached>
bool poll_until(Reached reached, ULONGLONG limit_ms, DWORD interval_ms = default_poll_interval_ms) {
    const ULONGLONG deadline = GetTickCount64() + limit_ms;
    for (;;) {
        if (reached()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(interval_ms);
    }
}

}  // namespace Orvane::pipe

#pragma once
// A Windows critical section; usable with std::lock_guard.

#include <windows.h>

namespace Orvane::utils {

class critical_section {
public:
    critical_section() { InitializeCriticalSection(&section_); }
    ~critical_section() { DeleteCriticalSection(&section_); }
    critical_section(const critical_section&) = delete;
    critical_section& operator=(const critical_section&) = delete;

    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace Orvane::utils

#include "support/process_counters.h"

#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace Orvane::support {
namespace {

// One entry of the system-wide handle table (information class 16).
struct system_handle_entry {
    ULONG owner;
    BYTE type;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
using query_system_fn = LONG(WINAPI*)(ULONG information_class, PVOID buffer, ULONG length, PULONG needed);
constexpr ULONG system_handle_information = 16;

uint64_t handles_in_system_table(DWORD process_id) {
    const auto query = reinterpret_cast<query_system_fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) throw std::runtime_error("no NtQuerySystemInformation");
    std::vector<uint8_t> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        if (query(system_handle_information, buffer.data(), ULONG(buffer.size()), &needed) >= 0) {
            ULONG count = 0;
            std::memcpy(&count, buffer.data(), sizeof count);
            const auto* entries = reinterpret_cast<const system_handle_entry*>(buffer.data() + sizeof(ULONG_PTR));
            const size_t room = (buffer.size() - sizeof(ULONG_PTR)) / sizeof(system_handle_entry);
            uint64_t handles = 0;
            for (size_t i = 0; i < count && i < room; ++i) handles += entries[i].owner == process_id;
            return handles;
        }
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    }
    throw std::runtime_error("the system handle table did not fit");
}

}  // namespace

process_counters read_process_counters(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        throw std::runtime_error("cannot read a process's memory counters");
    process_counters counters;
    counters.private_bytes = memory.PrivateUsage;
    counters.working_set_bytes = memory.WorkingSetSize;
    DWORD handles = 0;
    counters.handles = GetProcessHandleCount(process, &handles) && handles != 0
                           ? handles
                           : handles_in_system_table(GetProcessId(process));
    return counters;
}

}  // namespace Orvane::support

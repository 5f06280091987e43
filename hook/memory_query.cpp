#include "hook/memory_query.h"

#include <windows.h>

#include <cstdint>

namespace Orvane::hook {
namespace {

constexpr DWORD executable_flags = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD readable_flags = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                 PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

bool query(const void* address, MEMORY_BASIC_INFORMATION& info) {
    return VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT &&
           !(info.Protect & (PAGE_GUARD | PAGE_NOACCESS));
}

}  // namespace

bool is_executable(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    return address && query(address, info) && (info.Protect & executable_flags);
}

std::size_t readable_bytes(const void* address, std::size_t wanted) {
    auto at = reinterpret_cast<std::uintptr_t>(address);
    std::size_t found = 0;
    while (found < wanted) {
        MEMORY_BASIC_INFORMATION info;
        if (!query(reinterpret_cast<const void*>(at), info) || !(info.Protect & readable_flags)) break;
        const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (end <= at) break;  // wrapped around the address space
        found += end - at;
        at = end;
    }
    return found < wanted ? found : wanted;
}

}  // namespace Orvane::hook

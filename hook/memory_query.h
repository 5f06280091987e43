#pragma once
// What the virtual-memory manager says about an address.

#include <cstddef>

namespace Orvane::hook {

// Committed memory that may be executed (guard pages excluded).
bool is_executable(const void* address);

// How many of the `wanted` bytes from `address` on are committed and readable,
// following adjacent regions.
std::size_t readable_bytes(const void* address, std::size_t wanted);

}  // namespace Orvane::hook

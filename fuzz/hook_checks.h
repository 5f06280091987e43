#pragma once
// Invariants of the x86 decoder and the trampoline builder, checked over
// arbitrary bytes by fuzz_trampoline. Any broken one aborts with its name.

#include <cstddef>
#include <cstdint>

namespace Orvane::fuzz {

[[noreturn]] void broken(const char* invariant);

inline void require(bool holds, const char* invariant) {
    if (!holds) broken(invariant);
}

// One instruction at `code` (`available` readable bytes) living at `address`.
void check_decode(const std::uint8_t* code, std::size_t available, std::uint32_t address);

// A trampoline for the function at `source` whose first `available` bytes
// are `code`, to be placed at `destination`.
void check_trampoline(const std::uint8_t* code, std::size_t available, std::uint32_t source,
                      std::uint32_t destination);

}  // namespace Orvane::fuzz

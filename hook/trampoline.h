#pragma once
// Builds the code that runs a hooked function's original first instructions
// somewhere else: whole instructions covering the 5-byte JMP that replaces
// them, with relative branches re-aimed, then a jump back. Plain C++; the
// caller supplies the bytes and both addresses and places the result.

#include <array>
#include <cstddef>
#include <cstdint>

namespace Orvane::hook {

constexpr std::size_t jmp_rel32_size = 5;
constexpr std::size_t max_trampoline_size = 64;
constexpr std::size_t max_copied_instructions = jmp_rel32_size;  // each is at least one byte

enum class trampoline_error : std::uint8_t {
    none,
    invalid_instruction,  // unknown opcode, or the readable bytes ended inside an instruction
    flow_ends_early,      // ret/jmp/int3 before 5 bytes: what follows may not belong to the function
    branch_into_patch,    // a copied branch lands inside the bytes the JMP overwrites
    unrelocatable,        // a relative branch with a 16-bit IP, XBEGIN
};

struct trampoline_code {
    std::array<std::uint8_t, max_trampoline_size> bytes{};
    std::uint8_t size = 0;
    std::uint8_t patch_length = 0;  // bytes of the target covered by the copied instructions
    // Where each copied instruction starts, in the target and in the trampoline,
    // so that a thread stopped between them can be moved.
    std::array<std::uint8_t, max_copied_instructions> source_offsets{};
    std::array<std::uint8_t, max_copied_instructions> trampoline_offsets{};
    std::uint8_t instruction_count = 0;

    // The trampoline offset for a target offset that starts a copied instruction, or -1.
    int map_offset(std::size_t source_offset) const;
};

struct trampoline_result {
    trampoline_error error = trampoline_error::none;
    trampoline_code code;
};

// `code` holds `available` readable bytes of the function at `source`; the
// trampoline will be placed at `destination`.
trampoline_result build_trampoline(const std::uint8_t* code, std::size_t available, std::uint32_t source,
                                   std::uint32_t destination);

// The 5-byte JMP rel32 written at `from` that lands on `to`.
std::array<std::uint8_t, jmp_rel32_size> encode_jmp(std::uint32_t from, std::uint32_t to);

const char* to_string(trampoline_error error);

}  // namespace Orvane::hook

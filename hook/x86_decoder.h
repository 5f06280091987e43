#pragma once
// Instruction-length decoder for 32-bit x86, sized for function prologues:
// enough to copy whole instructions into a trampoline and to find the
// relative branches that must be re-aimed there. Plain C++, no Windows API.

#include <cstddef>
#include <cstdint>

namespace Orvane::hook {

enum class decode_error : std::uint8_t {
    none,
    invalid,    // undefined, an encoding we do not decode (VEX, EVEX, XOP, 3DNow!), or longer than 15 bytes
    truncated,  // the bytes end inside the instruction (with exactly 15 readable, also one that is longer)
};

enum class branch_kind : std::uint8_t {
    none,
    call_rel32,    // E8
    jmp_rel32,     // E9
    jmp_rel8,      // EB
    jcc_rel8,      // 70-7F
    jcc_rel32,     // 0F 80-8F
    loop_rel8,     // E0-E2 LOOPcc, E3 JECXZ/JCXZ
    unrelocatable  // relative, but with a 16-bit IP (66 prefix) or XBEGIN
};

struct instruction {
    decode_error error = decode_error::invalid;
    std::uint8_t length = 0;
    std::uint8_t prefix_length = 0;  // legacy prefixes in front of the opcode
    std::uint8_t opcode = 0;         // last opcode byte (after 0F / 0F 38 / 0F 3A)
    bool two_byte = false;           // opcode came after 0F
    branch_kind branch = branch_kind::none;
    std::uint32_t target = 0;  // absolute target of a relative branch
    bool ends_flow = false;    // execution never falls through (ret, jmp, int3, ud)

    bool ok() const { return error == decode_error::none; }
    bool is_relative() const { return branch != branch_kind::none; }
};

constexpr std::size_t max_instruction_length = 15;

// Decodes the instruction at `code` (at most `available` bytes are read) that
// lives at `address`; `address` only matters for branch targets.
instruction decode(const std::uint8_t* code, std::size_t available, std::uint32_t address);

}  // namespace Orvane::hook

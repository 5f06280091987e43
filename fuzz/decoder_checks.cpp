// The decoder's promises: a length within the bytes and within 15, a
// verdict that bytes past the instruction cannot change, and branch
// targets that follow from the displacement the instruction ends with.
#include <algorithm>
#include <vector>

#include "fuzz/hook_checks.h"
#include "hook/x86_decoder.h"

namespace Orvane::fuzz {
namespace {

using namespace Orvane::hook;

bool same(const instruction& a, const instruction& b) {
    return a.error == b.error && a.length == b.length && a.prefix_length == b.prefix_length &&
           a.opcode == b.opcode && a.two_byte == b.two_byte && a.branch == b.branch && a.target == b.target &&
           a.ends_flow == b.ends_flow;
}

// Exactly `n` bytes on the heap, so that AddressSanitizer sees a read past them.
instruction decode_exactly(const std::uint8_t* code, std::size_t n, std::uint32_t address) {
    const std::vector<std::uint8_t> copy(code, code + n);
    return decode(copy.data(), n, address);
}

struct branch_shape {
    bool two_byte;
    std::uint8_t first_opcode, last_opcode;  // range of the last opcode byte
    std::uint8_t displacement;               // bytes, at the end of the instruction
    bool ends_flow;
};

branch_shape shape_of(branch_kind kind) {
    switch (kind) {
    case branch_kind::jcc_rel8: return {false, 0x70, 0x7f, 1, false};
    case branch_kind::jcc_rel32: return {true, 0x80, 0x8f, 4, false};
    case branch_kind::jmp_rel8: return {false, 0xeb, 0xeb, 1, true};
    case branch_kind::jmp_rel32: return {false, 0xe9, 0xe9, 4, true};
    case branch_kind::call_rel32: return {false, 0xe8, 0xe8, 4, false};
    case branch_kind::loop_rel8: return {false, 0xe0, 0xe3, 1, false};
    default: broken("a branch kind without a shape");
    }
}

// A relocatable branch is exactly prefixes, opcode and displacement, and
// its target is the address after it plus that displacement.
void check_branch(const std::uint8_t* code, const instruction& d, std::uint32_t address) {
    if (d.branch == branch_kind::none || d.branch == branch_kind::unrelocatable) return;
    const branch_shape s = shape_of(d.branch);
    require(d.two_byte == s.two_byte && d.opcode >= s.first_opcode && d.opcode <= s.last_opcode,
            "branch kind matches its opcode");
    require(d.length == d.prefix_length + (s.two_byte ? 2 : 1) + s.displacement, "branch length");
    require(d.ends_flow == s.ends_flow, "only unconditional jumps end the flow");
    std::uint32_t raw = 0;
    const std::uint8_t* field = code + d.length - s.displacement;
    for (std::size_t i = 0; i < s.displacement; ++i) raw |= std::uint32_t(field[i]) << (8 * i);
    const std::uint32_t displacement = s.displacement == 1 ? std::uint32_t(std::int32_t(std::int8_t(raw))) : raw;
    require(d.target == address + d.length + displacement, "branch target (wrapping at 4 GiB)");
}

}  // namespace

void check_decode(const std::uint8_t* code, std::size_t available, std::uint32_t address) {
    const instruction full = decode_exactly(code, available, address);
    if (full.ok()) {
        require(full.length >= 1 && full.length <= available, "length within the readable bytes");
        require(full.length <= max_instruction_length, "length within 15 bytes");
        require(full.prefix_length < full.length, "prefixes leave room for the opcode");
        check_branch(code, full, address);
    } else {
        require(full.length == 0, "a failed decode has no length");
    }
    // The same bytes read with less available.
    for (std::size_t n = 0; n <= std::min(available, max_instruction_length + 1); ++n) {
        const instruction shorter = decode_exactly(code, n, address);
        if (shorter.ok()) require(same(shorter, full), "bytes past an instruction change nothing");
        if (shorter.error == decode_error::invalid) require(full.error == decode_error::invalid, "invalid is final");
        if (full.ok() && n < full.length)
            require(shorter.error == decode_error::truncated, "an instruction cut short is truncated");
    }
}

}  // namespace Orvane::fuzz

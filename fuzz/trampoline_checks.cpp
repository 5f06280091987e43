// The trampoline builder's promises: it refuses exactly the prologues it
// names a reason for, copies whole instructions covering the 5-byte JMP,
// re-aims every relative branch at its original target, pushes a call's
// original return address, jumps back to the first byte it did not copy,
// and does all of this the same way anywhere in the address space.
#include <cstring>
#include <vector>

#include "fuzz/hook_checks.h"
#include "hook/trampoline.h"
#include "hook/x86_decoder.h"

namespace Orvane::fuzz {
namespace {

using namespace Orvane::hook;

// The first instructions as the decoder sees them, up to 5 bytes or the first failure.
struct prologue {
    std::vector<instruction> code;
    std::vector<std::size_t> starts;
    std::size_t end = 0;
};

prologue walk(const std::uint8_t* code, std::size_t available, std::uint32_t source) {
    prologue p;
    while (p.end < jmp_rel32_size) {
        const instruction d = decode(code + p.end, available - p.end, source + std::uint32_t(p.end));
        p.code.push_back(d);
        p.starts.push_back(p.end);
        if (!d.ok()) break;
        p.end += d.length;
    }
    return p;
}

// What the builder must answer, from the reasons its contract names.
trampoline_error expected_verdict(const prologue& p, std::uint32_t source) {
    for (std::size_t i = 0; i < p.code.size(); ++i) {
        const instruction& d = p.code[i];
        if (!d.ok()) return trampoline_error::invalid_instruction;
        if (d.branch == branch_kind::unrelocatable) return trampoline_error::unrelocatable;
        if (d.ends_flow && p.starts[i] + d.length < jmp_rel32_size) return trampoline_error::flow_ends_early;
    }
    for (const instruction& d : p.code)
        if (d.is_relative() && d.target - source < p.end) return trampoline_error::branch_into_patch;
    return trampoline_error::none;
}

std::vector<instruction> disassemble(const std::uint8_t* code, std::size_t size, std::uint32_t at) {
    std::vector<instruction> out;
    for (std::size_t pos = 0; pos < size; pos += out.back().length) {
        out.push_back(decode(code + pos, size - pos, at + std::uint32_t(pos)));
        require(out.back().ok(), "the trampoline decodes into whole instructions");
    }
    return out;
}

std::uint32_t imm32(const std::uint8_t* at) {
    return at[0] | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
}

bool jumps_to(const instruction& d, std::uint32_t target) {
    return d.branch == branch_kind::jmp_rel32 && d.target == target;
}

// LOOPcc/JECXZ keep prefixes and opcode and branch over a short jmp onto a
// near jmp to the target; not taken, the short jmp goes on at `end`.
bool loop_kept(const std::uint8_t* original, const instruction& o, const std::vector<instruction>& n,
               const std::uint8_t* relocated, std::uint32_t at, std::uint32_t end) {
    if (n.size() != 3 || n[0].branch != branch_kind::loop_rel8 || n[0].opcode != o.opcode) return false;
    if (n[0].prefix_length != o.prefix_length || std::memcmp(original, relocated, o.prefix_length) != 0) return false;
    const std::uint32_t near_jump = at + n[0].length + n[1].length;
    return n[0].target == near_jump && n[1].branch == branch_kind::jmp_rel8 && n[1].target == end &&
           jumps_to(n[2], o.target);
}

// One original instruction against its form in the trampoline, the bytes
// [from, to) placed at `destination + from`.
void check_copied(const std::uint8_t* original, const instruction& o, std::uint32_t original_end,
                  const trampoline_code& t, std::size_t from, std::size_t to, std::uint32_t destination) {
    const std::uint32_t at = destination + std::uint32_t(from);
    const std::vector<instruction> n = disassemble(t.bytes.data() + from, to - from, at);
    switch (o.branch) {
    case branch_kind::none:
        require(to - from == o.length && std::memcmp(original, t.bytes.data() + from, o.length) == 0,
                "a plain instruction is copied as it is");
        break;
    case branch_kind::jcc_rel8:
    case branch_kind::jcc_rel32:
        require(n.size() == 1 && n[0].branch == branch_kind::jcc_rel32 &&
                    (n[0].opcode & 0x0f) == (o.opcode & 0x0f) && n[0].target == o.target,
                "a jcc keeps its condition and target, in its near form");
        break;
    case branch_kind::jmp_rel8:
    case branch_kind::jmp_rel32:
        require(n.size() == 1 && jumps_to(n[0], o.target), "a jmp keeps its target, in its near form");
        break;
    case branch_kind::call_rel32:
        require(n.size() == 2 && n[0].length == 5 && t.bytes[from] == 0x68 &&
                    imm32(&t.bytes[from + 1]) == original_end && jumps_to(n[1], o.target),
                "a call pushes the original return address and jumps to the callee");
        break;
    case branch_kind::loop_rel8:
        require(loop_kept(original, o, n, &t.bytes[from], at, destination + std::uint32_t(to)),
                "a loop keeps its counter; taken it reaches the target, else the next instruction");
        break;
    default:
        broken("an unrelocatable branch was copied");
    }
}

void check_layout(const trampoline_code& t, const prologue& p, std::size_t available) {
    require(t.patch_length == p.end && t.patch_length >= jmp_rel32_size && t.patch_length <= available,
            "the patch is the whole instructions covering the 5-byte jump");
    require(t.size <= max_trampoline_size, "the trampoline fits its buffer");
    require(t.instruction_count == p.code.size(), "every copied instruction is listed");
    for (std::size_t i = 0; i < p.code.size(); ++i) {
        require(t.source_offsets[i] == p.starts[i], "source offsets are instruction starts");
        require(i == 0 ? t.trampoline_offsets[0] == 0 : t.trampoline_offsets[i] > t.trampoline_offsets[i - 1],
                "trampoline offsets start at 0 and grow");
    }
    for (std::size_t offset = 0; offset <= t.patch_length; ++offset) {
        int expected = -1;
        for (std::size_t i = 0; i < p.code.size(); ++i)
            if (p.starts[i] == offset) expected = t.trampoline_offsets[i];
        require(t.map_offset(offset) == expected, "only instruction starts map into the trampoline");
    }
}

void check_code(const trampoline_code& t, const prologue& p, const std::uint8_t* code, std::uint32_t source,
                std::uint32_t destination) {
    const instruction& last = p.code.back();
    const bool falls_through = !last.ends_flow && last.branch != branch_kind::call_rel32;
    const std::size_t copied_end = t.size - (falls_through ? jmp_rel32_size : 0);
    for (std::size_t i = 0; i < p.code.size(); ++i) {
        const std::size_t to = i + 1 < p.code.size() ? t.trampoline_offsets[i + 1] : copied_end;
        require(t.trampoline_offsets[i] < to && to <= copied_end, "copied instructions in order");
        const std::uint32_t original_end = source + std::uint32_t(p.starts[i] + p.code[i].length);
        check_copied(code + p.starts[i], p.code[i], original_end, t, t.trampoline_offsets[i], to, destination);
    }
    if (falls_through) {
        const std::vector<instruction> back =
            disassemble(t.bytes.data() + copied_end, jmp_rel32_size, destination + std::uint32_t(copied_end));
        require(back.size() == 1 && jumps_to(back[0], source + t.patch_length),
                "the jump back lands on the first byte not copied");
    }
}

bool same_layout(const trampoline_code& a, const trampoline_code& b) {
    return a.size == b.size && a.patch_length == b.patch_length && a.instruction_count == b.instruction_count &&
           a.source_offsets == b.source_offsets && a.trampoline_offsets == b.trampoline_offsets;
}

// The patch alone is enough, and one byte less is an instruction cut short.
void check_reads_only_the_patch(const trampoline_result& r, const std::uint8_t* code, std::uint32_t source,
                                std::uint32_t destination) {
    const std::size_t n = r.code.patch_length;
    const std::vector<std::uint8_t> exact(code, code + n);
    const trampoline_result again = build_trampoline(exact.data(), n, source, destination);
    require(again.error == trampoline_error::none && same_layout(again.code, r.code) &&
                again.code.bytes == r.code.bytes,
            "the bytes past the patch change nothing");
    const std::vector<std::uint8_t> cut(code, code + n - 1);
    require(build_trampoline(cut.data(), n - 1, source, destination).error == trampoline_error::invalid_instruction,
            "a patch cut short is refused as an invalid instruction");
}

}  // namespace

void check_trampoline(const std::uint8_t* code, std::size_t available, std::uint32_t source,
                      std::uint32_t destination) {
    const trampoline_result r = build_trampoline(code, available, source, destination);
    const prologue p = walk(code, available, source);
    require(r.error == expected_verdict(p, source), "refused exactly for a named reason");
    // The far end of the address space, where every sum wraps differently.
    const std::uint32_t other_source = ~source, other_destination = ~destination;
    const trampoline_result elsewhere = build_trampoline(code, available, other_source, other_destination);
    require(elsewhere.error == r.error, "the verdict does not depend on the addresses");
    if (r.error != trampoline_error::none) return;

    check_layout(r.code, p, available);
    check_code(r.code, p, code, source, destination);
    require(same_layout(elsewhere.code, r.code), "the layout does not depend on the addresses");
    check_code(elsewhere.code, walk(code, available, other_source), code, other_source, other_destination);
    check_reads_only_the_patch(r, code, source, destination);
}

}  // namespace Orvane::fuzz

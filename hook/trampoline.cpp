#include "hook/trampoline.h"

#include <cstring>

#include "hook/x86_decoder.h"

namespace Orvane::hook {
namespace {

void put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = std::uint8_t(v >> (8 * i));
}

// Appends to the trampoline, tracking the address each byte will have.
class emitter {
public:
    emitter(trampoline_code& code, std::uint32_t base) : code_(code), base_(base) {}

    std::uint32_t here() const { return base_ + code_.size; }
    std::uint8_t offset() const { return code_.size; }

    void bytes(const std::uint8_t* data, std::size_t n) {
        std::memcpy(code_.bytes.data() + code_.size, data, n);
        code_.size = std::uint8_t(code_.size + n);
    }
    void byte(std::uint8_t b) { bytes(&b, 1); }
    void u32(std::uint32_t v) {
        std::uint8_t raw[4];
        put32(raw, v);
        bytes(raw, 4);
    }
    // rel32 field that ends the instruction: relative to the address after it.
    void rel32_to(std::uint32_t target) { u32(target - (here() + 4)); }

private:
    trampoline_code& code_;
    std::uint32_t base_;
};

// Re-aims one relative branch from the trampoline. Conditional and loop forms
// keep their condition; the call pushes the original return address so that
// the callee sees (and returns to) the same place as without the hook.
void emit_relocated(emitter& out, const std::uint8_t* insn, const instruction& d) {
    switch (d.branch) {
    case branch_kind::jcc_rel8:
        out.byte(0x0F);
        out.byte(std::uint8_t(0x80 | (d.opcode & 0x0F)));
        out.rel32_to(d.target);
        break;
    case branch_kind::jcc_rel32:
        out.byte(0x0F);
        out.byte(d.opcode);
        out.rel32_to(d.target);
        break;
    case branch_kind::jmp_rel8:
    case branch_kind::jmp_rel32:
        out.byte(0xE9);
        out.rel32_to(d.target);
        break;
    case branch_kind::call_rel32:
        out.byte(0x68);  // push imm32
        out.u32(0);      // patched by the caller, which knows the original return address
        out.byte(0xE9);
        out.rel32_to(d.target);
        break;
    case branch_kind::loop_rel8:
        // LOOPcc/JECXZ have no rel32 form: Ex +2 ; jmp short +5 ; jmp rel32 target.
        out.bytes(insn, d.prefix_length);  // keeps 67 (CX as the counter)
        out.byte(d.opcode);
        out.byte(0x02);
        out.byte(0xEB);
        out.byte(0x05);
        out.byte(0xE9);
        out.rel32_to(d.target);
        break;
    default:
        break;
    }
}

}  // namespace

int trampoline_code::map_offset(std::size_t source_offset) const {
    for (std::size_t i = 0; i < instruction_count; ++i)
        if (source_offsets[i] == source_offset) return trampoline_offsets[i];
    return -1;
}

trampoline_result build_trampoline(const std::uint8_t* code, std::size_t available, std::uint32_t source,
                                   std::uint32_t destination) {
    trampoline_result result;
    trampoline_code& t = result.code;
    emitter out(t, destination);
    auto fail = [&](trampoline_error e) {
        result.error = e;
        return result;
    };

    std::size_t pos = 0;
    bool falls_through = true;
    std::uint32_t branch_targets[max_copied_instructions];
    std::size_t branch_count = 0;

    while (pos < jmp_rel32_size) {
        const instruction d = decode(code + pos, available - pos, source + std::uint32_t(pos));
        if (!d.ok()) return fail(trampoline_error::invalid_instruction);
        if (d.branch == branch_kind::unrelocatable) return fail(trampoline_error::unrelocatable);
        const std::size_t end = pos + d.length;
        if (d.ends_flow && end < jmp_rel32_size) return fail(trampoline_error::flow_ends_early);

        t.source_offsets[t.instruction_count] = std::uint8_t(pos);
        t.trampoline_offsets[t.instruction_count] = out.offset();
        ++t.instruction_count;

        if (d.is_relative()) {
            branch_targets[branch_count++] = d.target;
            const std::uint8_t at = out.offset();
            emit_relocated(out, code + pos, d);
            if (d.branch == branch_kind::call_rel32) {
                put32(t.bytes.data() + at + 1, source + std::uint32_t(end));
                falls_through = false;  // the callee returns straight into the original code
            }
        } else {
            out.bytes(code + pos, d.length);
        }
        if (d.ends_flow) falls_through = false;
        pos = end;
    }
    t.patch_length = std::uint8_t(pos);

    for (std::size_t i = 0; i < branch_count; ++i)
        if (branch_targets[i] - source < pos) return fail(trampoline_error::branch_into_patch);

    if (falls_through) {
        out.byte(0xE9);
        out.rel32_to(source + std::uint32_t(pos));
    }
    return result;
}

std::array<std::uint8_t, jmp_rel32_size> encode_jmp(std::uint32_t from, std::uint32_t to) {
    std::array<std::uint8_t, jmp_rel32_size> jmp{0xE9};
    put32(jmp.data() + 1, to - (from + std::uint32_t(jmp_rel32_size)));
    return jmp;
}

const char* to_string(trampoline_error error) {
    switch (error) {
    case trampoline_error::none: return "none";
    case trampoline_error::invalid_instruction: return "invalid instruction";
    case trampoline_error::flow_ends_early: return "control flow ends before 5 bytes";
    case trampoline_error::branch_into_patch: return "branch into the patched bytes";
    case trampoline_error::unrelocatable: return "unrelocatable relative branch";
    }
    return "unknown";
}

}  // namespace Orvane::hook

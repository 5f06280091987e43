#include "hook/x86_decoder.h"

namespace Orvane::hook {
namespace {

// Bounds-checked cursor over the instruction bytes.
class reader {
public:
    reader(const std::uint8_t* code, std::size_t available)
        : code_(code), limit_(available < max_instruction_length ? available : max_instruction_length),
          truncated_by_limit_(available > max_instruction_length) {}

    bool has(std::size_t n) const { return pos_ + n <= limit_; }
    std::uint8_t peek() const { return code_[pos_]; }
    std::uint8_t take() { return code_[pos_++]; }
    void skip(std::size_t n) { pos_ += n; }
    std::size_t pos() const { return pos_; }
    bool hit_length_cap() const { return truncated_by_limit_; }

    std::int32_t take_signed(std::size_t size) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < size; ++i) v |= std::uint32_t(code_[pos_ + i]) << (8 * i);
        pos_ += size;
        if (size == 1) return std::int8_t(v);
        if (size == 2) return std::int16_t(v);
        return std::int32_t(v);
    }

private:
    const std::uint8_t* code_;
    std::size_t limit_;
    bool truncated_by_limit_;
    std::size_t pos_ = 0;
};

struct prefixes {
    bool operand16 = false;
    bool address16 = false;
};

bool is_prefix(std::uint8_t b) {
    switch (b) {
    case 0x26: case 0x2E: case 0x36: case 0x3E: case 0x64: case 0x65:
    case 0x66: case 0x67: case 0xF0: case 0xF2: case 0xF3:
        return true;
    default:
        return false;
    }
}

// What follows the opcode byte(s).
struct operand_shape {
    bool valid = true;
    bool modrm = false;
    std::uint8_t immediate = 0;  // bytes, already sized for the 66 prefix
    std::uint8_t relative = 0;   // bytes of a relative displacement
    bool ends_flow = false;
};

constexpr operand_shape invalid_shape() {
    operand_shape s;
    s.valid = false;
    return s;
}

operand_shape with_modrm(std::uint8_t imm = 0) {
    operand_shape s;
    s.modrm = true;
    s.immediate = imm;
    return s;
}

operand_shape plain(std::uint8_t imm = 0) {
    operand_shape s;
    s.immediate = imm;
    return s;
}

std::uint8_t reg_of(std::uint8_t modrm) { return (modrm >> 3) & 7; }
std::uint8_t mod_of(std::uint8_t modrm) { return modrm >> 6; }

// One-byte opcode map. `modrm` is the byte after the opcode when present
// (needed for groups whose immediate or validity depends on it).
operand_shape one_byte_shape(std::uint8_t op, const prefixes& p, bool has_next, std::uint8_t next) {
    const std::uint8_t iz = p.operand16 ? 2 : 4;
    const std::uint8_t moffs = p.address16 ? 2 : 4;

    if (op < 0x40) {
        switch (op & 7) {
        case 0: case 1: case 2: case 3:
            return with_modrm();
        case 4:
            return plain(1);
        case 5:
            return plain(iz);
        default:  // push/pop segment, daa/das/aaa/aas; 0F and prefixes are handled earlier
            return plain();
        }
    }
    if (op < 0x60) return plain();  // inc, dec, push, pop
    if (op >= 0x70 && op <= 0x7F) {
        operand_shape s;
        s.relative = 1;
        return s;
    }
    if (op >= 0x90 && op <= 0x99) return plain();
    if (op >= 0xB0 && op <= 0xB7) return plain(1);
    if (op >= 0xB8 && op <= 0xBF) return plain(iz);
    if (op >= 0xD8 && op <= 0xDF) return with_modrm();  // x87

    switch (op) {
    case 0x60: case 0x61: case 0x6C: case 0x6D: case 0x6E: case 0x6F:
        return plain();
    case 0x62:  // BOUND; the register form is EVEX
    case 0xC4:  // LES; the register form is VEX
    case 0xC5:  // LDS; the register form is VEX
    case 0x8D:  // LEA needs a memory operand
        if (!has_next) return with_modrm();
        return mod_of(next) == 3 ? invalid_shape() : with_modrm();
    case 0x63:
        return with_modrm();
    case 0x68:
        return plain(iz);
    case 0x69:
        return with_modrm(iz);
    case 0x6A:
        return plain(1);
    case 0x6B:
        return with_modrm(1);
    case 0x80: case 0x82: case 0x83:
        return with_modrm(1);
    case 0x81:
        return with_modrm(iz);
    case 0x84: case 0x85: case 0x86: case 0x87: case 0x88: case 0x89: case 0x8A: case 0x8B:
    case 0x8C: case 0x8E:
        return with_modrm();
    case 0x8F:  // POP r/m; other reg fields are XOP
        if (has_next && reg_of(next) != 0) return invalid_shape();
        return with_modrm();
    case 0x9A:  // CALL ptr16:32
        return plain(std::uint8_t(iz + 2));
    case 0x9B: case 0x9C: case 0x9D: case 0x9E: case 0x9F:
        return plain();
    case 0xA0: case 0xA1: case 0xA2: case 0xA3:
        return plain(moffs);
    case 0xA4: case 0xA5: case 0xA6: case 0xA7: case 0xAA: case 0xAB: case 0xAC: case 0xAD: case 0xAE:
    case 0xAF:
        return plain();
    case 0xA8:
        return plain(1);
    case 0xA9:
        return plain(iz);
    case 0xC0: case 0xC1:
        return with_modrm(1);
    case 0xC2: case 0xCA: {  // RET / RETF imm16
        operand_shape s = plain(2);
        s.ends_flow = true;
        return s;
    }
    case 0xC3: case 0xCB: case 0xCF: case 0xCC: case 0xF4: {  // returns, int3, hlt
        operand_shape s = plain();
        s.ends_flow = true;
        return s;
    }
    case 0xC6:  // MOV r/m8, imm8; C6 F8 is XABORT imm8
        if (has_next && reg_of(next) != 0 && next != 0xF8) return invalid_shape();
        return with_modrm(1);
    case 0xC7:  // MOV r/m, imm; C7 F8 is XBEGIN rel, handled by the caller
        if (has_next && reg_of(next) != 0 && next != 0xF8) return invalid_shape();
        return with_modrm(iz);
    case 0xC8:  // ENTER imm16, imm8
        return plain(3);
    case 0xC9: case 0xCE: case 0xD6: case 0xD7:
        return plain();
    case 0xCD: case 0xD4: case 0xD5:
        return plain(1);
    case 0xD0: case 0xD1: case 0xD2: case 0xD3:
        return with_modrm();
    case 0xE0: case 0xE1: case 0xE2: case 0xE3: case 0xEB: {
        operand_shape s;
        s.relative = 1;
        s.ends_flow = op == 0xEB;
        return s;
    }
    case 0xE4: case 0xE5: case 0xE6: case 0xE7:
        return plain(1);
    case 0xE8: case 0xE9: {
        operand_shape s;
        s.relative = iz;
        s.ends_flow = op == 0xE9;
        return s;
    }
    case 0xEA: {  // JMP ptr16:32
        operand_shape s = plain(std::uint8_t(iz + 2));
        s.ends_flow = true;
        return s;
    }
    case 0xEC: case 0xED: case 0xEE: case 0xEF: case 0xF1: case 0xF5:
    case 0xF8: case 0xF9: case 0xFA: case 0xFB: case 0xFC: case 0xFD:
        return plain();
    case 0xF6:  // group 3: only TEST has an immediate
        if (has_next && reg_of(next) <= 1) return with_modrm(1);
        return with_modrm();
    case 0xF7:
        if (has_next && reg_of(next) <= 1) return with_modrm(iz);
        return with_modrm();
    case 0xFE:
        if (has_next && reg_of(next) > 1) return invalid_shape();
        return with_modrm();
    case 0xFF: {
        if (!has_next) return with_modrm();
        const std::uint8_t reg = reg_of(next);
        if (reg == 7) return invalid_shape();
        if ((reg == 3 || reg == 5) && mod_of(next) == 3) return invalid_shape();  // far forms need memory
        operand_shape s = with_modrm();
        s.ends_flow = reg == 4 || reg == 5;
        return s;
    }
    default:
        return invalid_shape();
    }
}

// Two-byte opcode map (after 0F), without the 0F 38 / 0F 3A escapes.
operand_shape two_byte_shape(std::uint8_t op, const prefixes& p) {
    const std::uint8_t iz = p.operand16 ? 2 : 4;
    if (op >= 0x80 && op <= 0x8F) {
        operand_shape s;
        s.relative = iz;
        return s;
    }
    if (op >= 0xC8 && op <= 0xCF) return plain();  // BSWAP
    if (op >= 0x10 && op <= 0x23) return with_modrm();
    if (op >= 0x28 && op <= 0x2F) return with_modrm();
    if (op >= 0x40 && op <= 0x6F) return with_modrm();
    if (op >= 0x70 && op <= 0x73) return with_modrm(1);
    if (op >= 0x74 && op <= 0x76) return with_modrm();
    if (op >= 0x7C && op <= 0x7F) return with_modrm();
    if (op >= 0x90 && op <= 0x9F) return with_modrm();
    if (op >= 0xD0 && op <= 0xFE) return with_modrm();

    switch (op) {
    case 0x00: case 0x01: case 0x02: case 0x03: case 0x0D:
    case 0x78: case 0x79:
    case 0xA3: case 0xA5: case 0xAB: case 0xAD: case 0xAE: case 0xAF:
    case 0xB0: case 0xB1: case 0xB2: case 0xB3: case 0xB4: case 0xB5: case 0xB6: case 0xB7:
    case 0xB8: case 0xBB: case 0xBC: case 0xBD: case 0xBE: case 0xBF:
    case 0xC0: case 0xC1: case 0xC3: case 0xC7:
        return with_modrm();
    case 0xA4: case 0xAC: case 0xBA: case 0xC2: case 0xC4: case 0xC5: case 0xC6:
        return with_modrm(1);
    case 0x06: case 0x08: case 0x09: case 0x30: case 0x31: case 0x32: case 0x33: case 0x34: case 0x37:
    case 0x77: case 0xA0: case 0xA1: case 0xA2: case 0xA8: case 0xA9: case 0xAA:
        return plain();
    case 0x0B: case 0x35: {  // UD2, SYSEXIT
        operand_shape s = plain();
        s.ends_flow = true;
        return s;
    }
    case 0xB9: case 0xFF: {  // UD1, UD0
        operand_shape s = with_modrm();
        s.ends_flow = true;
        return s;
    }
    default:
        return invalid_shape();
    }
}

// Skips ModRM, SIB and displacement; false when the bytes run out.
bool skip_modrm(reader& r, const prefixes& p) {
    if (!r.has(1)) return false;
    const std::uint8_t modrm = r.take();
    const std::uint8_t mod = mod_of(modrm);
    const std::uint8_t rm = modrm & 7;
    if (mod == 3) return true;

    std::size_t disp = 0;
    if (p.address16) {
        if (mod == 0 && rm == 6) disp = 2;
        else if (mod == 1) disp = 1;
        else if (mod == 2) disp = 2;
    } else {
        if (rm == 4) {
            if (!r.has(1)) return false;
            const std::uint8_t sib = r.take();
            if (mod == 0 && (sib & 7) == 5) disp = 4;
        }
        if (mod == 0 && rm == 5) disp = 4;
        else if (mod == 1) disp = 1;
        else if (mod == 2) disp = 4;
    }
    if (!r.has(disp)) return false;
    r.skip(disp);
    return true;
}

branch_kind relative_kind(std::uint8_t op, bool two_byte) {
    if (two_byte) return branch_kind::jcc_rel32;
    if (op >= 0x70 && op <= 0x7F) return branch_kind::jcc_rel8;
    switch (op) {
    case 0xE8: return branch_kind::call_rel32;
    case 0xE9: return branch_kind::jmp_rel32;
    case 0xEB: return branch_kind::jmp_rel8;
    default: return branch_kind::loop_rel8;  // E0-E3
    }
}

}  // namespace

instruction decode(const std::uint8_t* code, std::size_t available, std::uint32_t address) {
    instruction out;
    reader r(code, available);
    // Running into the 15-byte cap means the encoding itself is too long.
    auto truncated = [&] {
        out.error = r.hit_length_cap() ? decode_error::invalid : decode_error::truncated;
        return out;
    };

    prefixes p;
    while (r.has(1) && is_prefix(r.peek())) {
        const std::uint8_t b = r.take();
        if (b == 0x66) p.operand16 = true;
        if (b == 0x67) p.address16 = true;
    }
    if (!r.has(1)) return truncated();
    out.prefix_length = std::uint8_t(r.pos());

    std::uint8_t op = r.take();
    operand_shape shape;
    if (op == 0x0F) {
        if (!r.has(1)) return truncated();
        op = r.take();
        out.two_byte = true;
        if (op == 0x38 || op == 0x3A) {
            const bool imm = op == 0x3A;
            if (!r.has(1)) return truncated();
            op = r.take();
            shape = with_modrm(imm ? 1 : 0);
        } else {
            shape = two_byte_shape(op, p);
        }
    } else {
        const bool has_next = r.has(1);
        shape = one_byte_shape(op, p, has_next, has_next ? r.peek() : 0);
        if (op == 0xC7 && has_next && r.peek() == 0xF8) {  // XBEGIN: relative fallback
            shape = plain();
            shape.modrm = true;
            shape.relative = p.operand16 ? 2 : 4;
        }
    }
    out.opcode = op;
    if (!shape.valid) return out;  // decode_error::invalid

    if (shape.modrm && !skip_modrm(r, p)) return truncated();
    if (!r.has(shape.immediate)) return truncated();
    r.skip(shape.immediate);

    if (shape.relative) {
        if (!r.has(shape.relative)) return truncated();
        const std::int32_t rel = r.take_signed(shape.relative);
        const bool xbegin = !out.two_byte && op == 0xC7;
        out.branch = (p.operand16 || xbegin) ? branch_kind::unrelocatable : relative_kind(op, out.two_byte);
        out.target = address + std::uint32_t(r.pos()) + std::uint32_t(rel);
    }

    out.length = std::uint8_t(r.pos());
    out.ends_flow = shape.ends_flow;
    out.error = decode_error::none;
    return out;
}

}  // namespace Orvane::hook

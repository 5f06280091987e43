#include "hook/x86_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

using namespace Orvane::hook;

namespace {

constexpr std::uint32_t base = 0x1000;

// Exactly sized heap copy, so that AddressSanitizer sees any read past the end.
std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> v;
    for (int b : list) v.push_back(std::uint8_t(b));
    return v;
}

instruction decode_all(const std::vector<std::uint8_t>& code) {
    return decode(code.data(), code.size(), base);
}

std::vector<int> lengths_of(const std::vector<std::uint8_t>& code) {
    std::vector<int> out;
    std::size_t pos = 0;
    while (pos < code.size()) {
        const instruction d = decode(code.data() + pos, code.size() - pos, base + std::uint32_t(pos));
        if (!d.ok()) {
            out.push_back(-1);
            break;
        }
        out.push_back(d.length);
        pos += d.length;
    }
    return out;
}

struct length_case {
    const char* name;
    std::vector<std::uint8_t> code;
    int length;
    bool ends_flow;
};

}  // namespace

TEST(X86Decoder, ProloguesDecodeIntoWholeInstructions) {
    struct prologue {
        const char* name;
        std::vector<std::uint8_t> code;
        std::vector<int> lengths;
    };
    const prologue cases[] = {
        {"wine waveOutOpen", bytes({0x8d, 0x4c, 0x24, 0x04, 0x83, 0xe4, 0xf0, 0xff, 0x71, 0xfc, 0x55, 0x89, 0xe5,
                                    0x57, 0x56, 0x53}),
         {4, 3, 3, 1, 2, 1, 1, 1}},
        {"wine waveOutPrepareHeader",
         bytes({0x55, 0x89, 0xe5, 0x56, 0x53, 0x83, 0xe4, 0xf0, 0x83, 0xec, 0x20, 0x8b, 0x5d, 0x0c}),
         {1, 2, 1, 1, 3, 3, 3}},
        {"wine waveOutReset (test byte [disp32], imm8)",
         bytes({0x55, 0x89, 0xe5, 0x83, 0xe4, 0xf0, 0x83, 0xec, 0x20, 0xf6, 0x05, 0x78, 0x56, 0x34, 0x12, 0x01}),
         {1, 2, 3, 3, 7}},
        {"windows hot-patch", bytes({0x8b, 0xff, 0x55, 0x8b, 0xec}), {2, 1, 2}},
        {"frame with imm32 locals and seh",
         bytes({0x55, 0x8b, 0xec, 0x81, 0xec, 0x00, 0x01, 0x00, 0x00, 0x64, 0xa1, 0x00, 0x00, 0x00, 0x00, 0x6a,
                0xff, 0x68, 0x78, 0x56, 0x34, 0x12}),
         {1, 2, 6, 6, 2, 5}},
    };
    for (const prologue& c : cases) EXPECT_EQ(lengths_of(c.code), c.lengths) << c.name;
}

TEST(X86Decoder, LengthsOfSingleInstructions) {
    const length_case cases[] = {
        // stack and arithmetic with immediates
        {"push imm8", bytes({0x6a, 0x10}), 2, false},
        {"push imm32", bytes({0x68, 0x78, 0x56, 0x34, 0x12}), 5, false},
        {"sub esp, imm8", bytes({0x83, 0xec, 0x10}), 3, false},
        {"sub esp, imm32", bytes({0x81, 0xec, 0x00, 0x01, 0x00, 0x00}), 6, false},
        {"mov eax, imm32", bytes({0xb8, 0x01, 0x00, 0x00, 0x00}), 5, false},
        {"imul eax, ecx, imm8", bytes({0x6b, 0xc1, 0x05}), 3, false},
        {"add eax, imm32 (short form)", bytes({0x05, 0x01, 0x02, 0x03, 0x04}), 5, false},
        // ModRM, SIB and displacements
        {"lea eax, [esp+8]", bytes({0x8d, 0x44, 0x24, 0x08}), 4, false},
        {"lea eax, [esp+disp32]", bytes({0x8d, 0x84, 0x24, 0x00, 0x01, 0x00, 0x00}), 7, false},
        {"lea eax, [ecx*4+disp32] (no base)", bytes({0x8d, 0x04, 0x8d, 0x00, 0x00, 0x00, 0x00}), 7, false},
        {"mov eax, [disp32]", bytes({0x8b, 0x05, 0x78, 0x56, 0x34, 0x12}), 6, false},
        {"mov [ebp-4], imm32", bytes({0xc7, 0x45, 0xfc, 0x01, 0x00, 0x00, 0x00}), 7, false},
        {"cmp dword [esp+disp32], imm8", bytes({0x83, 0xbc, 0x24, 0x00, 0x01, 0x00, 0x00, 0x00}), 8, false},
        {"mov eax, moffs32", bytes({0xa1, 0x78, 0x56, 0x34, 0x12}), 5, false},
        {"mov eax, fs:[0x18]", bytes({0x64, 0xa1, 0x18, 0x00, 0x00, 0x00}), 6, false},
        // operand-size and address-size prefixes
        {"mov ax, imm16", bytes({0x66, 0xb8, 0x34, 0x12}), 4, false},
        {"sub sp, imm16", bytes({0x66, 0x81, 0xec, 0x34, 0x12}), 5, false},
        {"mov word [ebp-4], imm16", bytes({0x66, 0xc7, 0x45, 0xfc, 0x34, 0x12}), 6, false},
        {"test ax, imm16", bytes({0x66, 0xf7, 0xc1, 0x34, 0x12}), 5, false},
        {"mov eax, moffs16", bytes({0x67, 0xa1, 0x34, 0x12}), 4, false},
        {"mov eax, [si] (16-bit, no SIB)", bytes({0x67, 0x8b, 0x04}), 3, false},
        {"mov eax, [bp+disp8]", bytes({0x67, 0x8b, 0x46, 0x02}), 4, false},
        {"mov eax, [disp16]", bytes({0x67, 0x8b, 0x06, 0x34, 0x12}), 5, false},
        {"mov eax, [bx+disp16]", bytes({0x67, 0x8b, 0x87, 0x34, 0x12}), 5, false},
        {"lock cmpxchg [edx], ecx", bytes({0xf0, 0x0f, 0xb1, 0x0a}), 4, false},
        {"rep stosd", bytes({0xf3, 0xab}), 2, false},
        // group 3: only TEST carries an immediate
        {"test ecx, imm32", bytes({0xf7, 0xc1, 0x00, 0x01, 0x00, 0x00}), 6, false},
        {"neg eax", bytes({0xf7, 0xd8}), 2, false},
        {"test cl, imm8", bytes({0xf6, 0xc1, 0x01}), 3, false},
        {"not byte [eax]", bytes({0xf6, 0x10}), 2, false},
        // two- and three-byte opcodes
        {"movzx eax, byte [ebp+8]", bytes({0x0f, 0xb6, 0x45, 0x08}), 4, false},
        {"imul eax, ecx", bytes({0x0f, 0xaf, 0xc1}), 3, false},
        {"nop dword [eax+eax]", bytes({0x0f, 0x1f, 0x44, 0x00, 0x00}), 5, false},
        {"rdtsc", bytes({0x0f, 0x31}), 2, false},
        {"cpuid", bytes({0x0f, 0xa2}), 2, false},
        {"bt eax, imm8", bytes({0x0f, 0xba, 0xe0, 0x03}), 4, false},
        {"shld eax, ecx, imm8", bytes({0x0f, 0xa4, 0xc8, 0x04}), 4, false},
        {"movss xmm0, [ebp+8]", bytes({0xf3, 0x0f, 0x10, 0x45, 0x08}), 5, false},
        {"pshufd xmm0, xmm1, imm8", bytes({0x66, 0x0f, 0x70, 0xc1, 0x1b}), 5, false},
        {"pshufb xmm0, xmm1", bytes({0x66, 0x0f, 0x38, 0x00, 0xc1}), 5, false},
        {"palignr xmm0, xmm1, imm8", bytes({0x66, 0x0f, 0x3a, 0x0f, 0xc1, 0x08}), 6, false},
        {"bswap eax", bytes({0x0f, 0xc8}), 2, false},
        // x87
        {"fld qword [ebp+8]", bytes({0xdd, 0x45, 0x08}), 3, false},
        // enter, returns, interrupts, far forms
        {"enter 16, 0", bytes({0xc8, 0x10, 0x00, 0x00}), 4, false},
        {"leave", bytes({0xc9}), 1, false},
        {"ret", bytes({0xc3}), 1, true},
        {"ret 8", bytes({0xc2, 0x08, 0x00}), 3, true},
        {"retf", bytes({0xcb}), 1, true},
        {"int3", bytes({0xcc}), 1, true},
        {"int 2e", bytes({0xcd, 0x2e}), 2, false},
        {"ud2", bytes({0x0f, 0x0b}), 2, true},
        {"call far ptr16:32", bytes({0x9a, 0x78, 0x56, 0x34, 0x12, 0x1b, 0x00}), 7, false},
        {"jmp far ptr16:32", bytes({0xea, 0x78, 0x56, 0x34, 0x12, 0x1b, 0x00}), 7, true},
        {"jmp far ptr16:16", bytes({0x66, 0xea, 0x34, 0x12, 0x1b, 0x00}), 6, true},
        // indirect branches are copied as they are
        {"call [disp32]", bytes({0xff, 0x15, 0x00, 0x10, 0x40, 0x00}), 6, false},
        {"jmp [disp32]", bytes({0xff, 0x25, 0x00, 0x10, 0x40, 0x00}), 6, true},
        {"jmp eax", bytes({0xff, 0xe0}), 2, true},
        {"push [ebp+8]", bytes({0xff, 0x75, 0x08}), 3, false},
        // longest legal: four prefixes and an 11-byte add
        {"15 bytes", bytes({0x26, 0x26, 0x26, 0x26, 0x81, 0x84, 0x24, 1, 2, 3, 4, 5, 6, 7, 8}), 15, false},
    };
    for (const length_case& c : cases) {
        const instruction d = decode_all(c.code);
        ASSERT_TRUE(d.ok()) << c.name;
        EXPECT_EQ(d.length, c.length) << c.name;
        EXPECT_EQ(d.ends_flow, c.ends_flow) << c.name;
        EXPECT_FALSE(d.is_relative()) << c.name;
    }
}

TEST(X86Decoder, RelativeBranchesReportKindAndTarget) {
    struct branch_case {
        const char* name;
        std::vector<std::uint8_t> code;
        int length;
        branch_kind kind;
        std::uint32_t target;
        bool ends_flow;
    };
    const branch_case cases[] = {
        {"je short forward", bytes({0x74, 0x05}), 2, branch_kind::jcc_rel8, base + 7, false},
        {"jle short to itself", bytes({0x7e, 0xfe}), 2, branch_kind::jcc_rel8, base, false},
        {"jne near", bytes({0x0f, 0x85, 0x10, 0x00, 0x00, 0x00}), 6, branch_kind::jcc_rel32, base + 0x16, false},
        {"js near backward", bytes({0x0f, 0x88, 0x00, 0xff, 0xff, 0xff}), 6, branch_kind::jcc_rel32,
         base + 6 - 0x100, false},
        {"call rel32", bytes({0xe8, 0xfb, 0xff, 0xff, 0xff}), 5, branch_kind::call_rel32, base, false},
        {"call $+5", bytes({0xe8, 0x00, 0x00, 0x00, 0x00}), 5, branch_kind::call_rel32, base + 5, false},
        {"jmp rel32", bytes({0xe9, 0x00, 0x10, 0x00, 0x00}), 5, branch_kind::jmp_rel32, base + 0x1005, true},
        {"jmp short back", bytes({0xeb, 0x80}), 2, branch_kind::jmp_rel8, base + 2 - 128, true},
        {"jecxz", bytes({0xe3, 0x10}), 2, branch_kind::loop_rel8, base + 0x12, false},
        {"loop", bytes({0xe2, 0xfe}), 2, branch_kind::loop_rel8, base, false},
        {"loopne", bytes({0xe0, 0x01}), 2, branch_kind::loop_rel8, base + 3, false},
        {"jcxz (67)", bytes({0x67, 0xe3, 0x02}), 3, branch_kind::loop_rel8, base + 5, false},
        {"je with branch hint", bytes({0x2e, 0x74, 0x05}), 3, branch_kind::jcc_rel8, base + 8, false},
        {"call rel16 (66)", bytes({0x66, 0xe8, 0x10, 0x00}), 4, branch_kind::unrelocatable, base + 0x14, false},
        {"je rel8 with 16-bit IP (66)", bytes({0x66, 0x74, 0x05}), 3, branch_kind::unrelocatable, base + 8, false},
        {"jne rel16 (66 0f 85)", bytes({0x66, 0x0f, 0x85, 0x10, 0x00}), 5, branch_kind::unrelocatable,
         base + 0x15, false},
        {"xbegin", bytes({0xc7, 0xf8, 0x10, 0x00, 0x00, 0x00}), 6, branch_kind::unrelocatable, base + 0x16, false},
    };
    for (const branch_case& c : cases) {
        const instruction d = decode_all(c.code);
        ASSERT_TRUE(d.ok()) << c.name;
        EXPECT_EQ(d.length, c.length) << c.name;
        EXPECT_EQ(d.branch, c.kind) << c.name;
        EXPECT_EQ(d.target, c.target) << c.name;
        EXPECT_EQ(d.ends_flow, c.ends_flow) << c.name;
    }
}

TEST(X86Decoder, BranchTargetsWrapAroundTheAddressSpace) {
    const auto code = bytes({0xe9, 0x10, 0x00, 0x00, 0x00});
    EXPECT_EQ(decode(code.data(), code.size(), 0xfffffff0u).target, 0x00000005u);
    const auto back = bytes({0xeb, 0xf0});
    EXPECT_EQ(decode(back.data(), back.size(), 0x4u).target, 0xfffffff6u);
}

TEST(X86Decoder, InvalidAndUnsupportedEncodingsAreReported) {
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"0f 04 (undefined)", bytes({0x0f, 0x04, 0x90})},
        {"0f 0f (3DNow!)", bytes({0x0f, 0x0f, 0xc1, 0xb4})},
        {"VEX c4", bytes({0xc4, 0xe2, 0x79, 0x18, 0xc0})},
        {"VEX c5 (vzeroupper)", bytes({0xc5, 0xf8, 0x77})},
        {"EVEX 62", bytes({0x62, 0xf1, 0x7c, 0x48, 0x28, 0xc1})},
        {"XOP 8f", bytes({0x8f, 0xe8, 0x78, 0xc0, 0xc1, 0x00})},
        {"lea with a register operand", bytes({0x8d, 0xc0})},
        {"ff /7", bytes({0xff, 0xff})},
        {"far jmp through a register", bytes({0xff, 0xe8})},
        {"fe /2", bytes({0xfe, 0xd0})},
        {"c6 /1", bytes({0xc6, 0xc8, 0x00})},
        {"16 bytes", bytes({0x26, 0x26, 0x26, 0x26, 0x26, 0x81, 0x84, 0x24, 1, 2, 3, 4, 5, 6, 7, 8})},
        {"15 prefixes and a nop", bytes({0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66,
                                         0x66, 0x66, 0x66, 0x90})},
    };
    for (const auto& [name, code] : cases) EXPECT_EQ(decode_all(code).error, decode_error::invalid) << name;
}

TEST(X86Decoder, InstructionsCutShortAreTruncatedNotGuessed) {
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"nothing", {}},
        {"call without its rel32", bytes({0xe8, 0x00, 0x00})},
        {"lea without its displacement", bytes({0x8d, 0x4c, 0x24})},
        {"lea without its SIB", bytes({0x8d, 0x4c})},
        {"prefix alone", bytes({0x66})},
        {"two-byte escape alone", bytes({0x0f})},
        {"three-byte escape alone", bytes({0x0f, 0x3a})},
        {"imm32 cut", bytes({0x81, 0xec, 0x00, 0x01})},
        {"16-bit displacement cut", bytes({0x67, 0x8b, 0x06, 0x34})},
        {"group 3 immediate cut", bytes({0xf6, 0x05, 0x78, 0x56, 0x34, 0x12})},
    };
    for (const auto& [name, code] : cases) EXPECT_EQ(decode_all(code).error, decode_error::truncated) << name;
}

TEST(X86Decoder, RandomBytesNeverReadPastTheEndOrOverrun15) {
    std::mt19937 rng(20261210);
    for (int round = 0; round < 20000; ++round) {
        const std::size_t n = rng() % 18;
        std::vector<std::uint8_t> code(n);
        for (auto& b : code) b = std::uint8_t(rng());
        const instruction d = decode(code.data(), code.size(), rng());
        if (d.ok()) {
            ASSERT_GE(d.length, 1);
            ASSERT_LE(d.length, n);
            ASSERT_LE(d.length, max_instruction_length);
        } else {
            ASSERT_EQ(d.length, 0);
        }
    }
}

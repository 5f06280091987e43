#include "hook/trampoline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "hook/x86_decoder.h"

using namespace Orvane::hook;

namespace {

constexpr std::uint32_t source = 0x00401000;
constexpr std::uint32_t destination = 0x7f000000;

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> v;
    for (int b : list) v.push_back(std::uint8_t(b));
    return v;
}

trampoline_result build(const std::vector<std::uint8_t>& code, std::uint32_t from = source,
                        std::uint32_t to = destination) {
    return build_trampoline(code.data(), code.size(), from, to);
}

// The trampoline as a list of decoded instructions at their real addresses.
std::vector<instruction> disassemble(const trampoline_code& t, std::uint32_t at = destination) {
    std::vector<instruction> out;
    std::size_t pos = 0;
    while (pos < t.size) {
        const instruction d = decode(t.bytes.data() + pos, t.size - pos, at + std::uint32_t(pos));
        EXPECT_TRUE(d.ok()) << "at trampoline offset " << pos;
        if (!d.ok()) break;
        out.push_back(d);
        pos += d.length;
    }
    return out;
}

std::vector<std::uint8_t> head(const trampoline_code& t, std::size_t n) {
    return {t.bytes.begin(), t.bytes.begin() + n};
}

}  // namespace

TEST(Trampoline, PlainProloguesAreCopiedAndJumpBackAfterThePatch) {
    struct plain_case {
        const char* name;
        std::vector<std::uint8_t> code;
        std::uint8_t patch_length;
    };
    const plain_case cases[] = {
        {"windows hot-patch", bytes({0x8b, 0xff, 0x55, 0x8b, 0xec, 0x83, 0xec, 0x10}), 5},
        {"wine waveOutOpen",
         bytes({0x8d, 0x4c, 0x24, 0x04, 0x83, 0xe4, 0xf0, 0xff, 0x71, 0xfc, 0x55, 0x89, 0xe5}), 7},
        {"wine waveOutPrepareHeader", bytes({0x55, 0x89, 0xe5, 0x56, 0x53, 0x83, 0xe4, 0xf0}), 5},
        {"wine waveOutReset", bytes({0x55, 0x89, 0xe5, 0x83, 0xe4, 0xf0, 0x83, 0xec, 0x20}), 6},
        {"instruction ending exactly at 5 followed by nothing", bytes({0x68, 0x78, 0x56, 0x34, 0x12}), 5},
    };
    for (const plain_case& c : cases) {
        const trampoline_result r = build(c.code);
        ASSERT_EQ(r.error, trampoline_error::none) << c.name;
        const trampoline_code& t = r.code;
        EXPECT_EQ(t.patch_length, c.patch_length) << c.name;
        ASSERT_EQ(t.size, c.patch_length + jmp_rel32_size) << c.name;
        EXPECT_EQ(head(t, c.patch_length), std::vector<std::uint8_t>(c.code.begin(), c.code.begin() + c.patch_length))
            << c.name;
        const instruction back = disassemble(t).back();
        EXPECT_EQ(back.branch, branch_kind::jmp_rel32) << c.name;
        EXPECT_EQ(back.target, source + c.patch_length) << c.name;
    }
}

TEST(Trampoline, RelativeBranchesKeepTheirTargets) {
    struct relocation_case {
        const char* name;
        std::vector<std::uint8_t> code;
        std::uint8_t patch_length;
        std::uint32_t branch_target;  // where the copied branch must still go
        branch_kind relocated_as;
    };
    const relocation_case cases[] = {
        // test ecx,ecx ; js +4 ; lea eax,[ecx+3]
        {"short jcc", bytes({0x85, 0xc9, 0x78, 0x04, 0x8d, 0x41, 0x03, 0xc3}), 7, source + 8, branch_kind::jcc_rel32},
        {"near jcc", bytes({0x0f, 0x84, 0x00, 0x01, 0x00, 0x00}), 6, source + 0x106, branch_kind::jcc_rel32},
        {"short jcc backwards out of the function", bytes({0x55, 0x7f, 0x80, 0x89, 0xe5}), 5, source + 3 - 128,
         branch_kind::jcc_rel32},
    };
    for (const relocation_case& c : cases) {
        const trampoline_result r = build(c.code);
        ASSERT_EQ(r.error, trampoline_error::none) << c.name;
        EXPECT_EQ(r.code.patch_length, c.patch_length) << c.name;
        bool found = false;
        for (const instruction& d : disassemble(r.code)) {
            if (d.branch == c.relocated_as && d.target == c.branch_target) found = true;
            EXPECT_NE(d.branch, branch_kind::jcc_rel8) << c.name << ": rel8 cannot reach from the trampoline";
        }
        EXPECT_TRUE(found) << c.name;
        EXPECT_EQ(disassemble(r.code).back().target, source + c.patch_length) << c.name;
    }
}

TEST(Trampoline, ShortJccBecomesNearWithTheSameCondition) {
    for (int cc = 0; cc < 16; ++cc) {
        const auto code = bytes({0x70 + cc, 0x10, 0x8b, 0x45, 0x08});
        const trampoline_result r = build(code);
        ASSERT_EQ(r.error, trampoline_error::none);
        EXPECT_EQ(r.code.bytes[0], 0x0f);
        EXPECT_EQ(r.code.bytes[1], 0x80 + cc);
        EXPECT_EQ(disassemble(r.code).front().target, source + 0x12);
    }
}

TEST(Trampoline, LoopAndJecxzKeepTheirCounterAndPrefix) {
    // jecxz +4 ; lea eax,[ecx+5] -> e3 02 ; eb 05 ; jmp target ; lea ; jmp back
    const trampoline_result r = build(bytes({0xe3, 0x04, 0x8d, 0x41, 0x05, 0xc3}));
    ASSERT_EQ(r.error, trampoline_error::none);
    EXPECT_EQ(head(r.code, 4), bytes({0xe3, 0x02, 0xeb, 0x05}));
    const auto code = disassemble(r.code);
    ASSERT_EQ(code.size(), 5u);
    EXPECT_EQ(code[0].target, destination + 4);  // over the short jmp onto the far jmp
    EXPECT_EQ(code[1].target, destination + 9);  // falls through past the far jmp
    EXPECT_EQ(code[2].target, source + 6);       // the original branch target
    EXPECT_EQ(code[4].target, source + 5);

    const trampoline_result cx = build(bytes({0x67, 0xe2, 0x10, 0x90, 0x90}));
    ASSERT_EQ(cx.error, trampoline_error::none);
    EXPECT_EQ(head(cx.code, 5), bytes({0x67, 0xe2, 0x02, 0xeb, 0x05}));
    EXPECT_EQ(disassemble(cx.code)[2].target, source + 0x13);
}

TEST(Trampoline, CallPushesTheOriginalReturnAddress) {
    // call +0x100 : push source+5 ; jmp target ; nothing after (the callee returns into the original code)
    const trampoline_result r = build(bytes({0xe8, 0x00, 0x01, 0x00, 0x00}));
    ASSERT_EQ(r.error, trampoline_error::none);
    const auto code = disassemble(r.code);
    ASSERT_EQ(code.size(), 2u);
    EXPECT_EQ(r.code.bytes[0], 0x68);
    EXPECT_EQ(r.code.bytes[1] | r.code.bytes[2] << 8 | r.code.bytes[3] << 16 | std::uint32_t(r.code.bytes[4]) << 24,
              source + 5);
    EXPECT_EQ(code[1].branch, branch_kind::jmp_rel32);
    EXPECT_EQ(code[1].target, source + 0x105);

    // the get-PC idiom (call $+5 ; pop eax) must still see the original address
    const trampoline_result pc = build(bytes({0x55, 0xe8, 0x00, 0x00, 0x00, 0x00, 0x58}));
    ASSERT_EQ(pc.error, trampoline_error::none);
    EXPECT_EQ(pc.code.patch_length, 6);
    EXPECT_EQ(pc.code.bytes[2] | pc.code.bytes[3] << 8 | pc.code.bytes[4] << 16 | std::uint32_t(pc.code.bytes[5]) << 24,
              source + 6);
    EXPECT_EQ(disassemble(pc.code).back().target, source + 6);
}

TEST(Trampoline, ALeadingJmpIsReaimedWithoutAJumpBack) {
    const trampoline_result r = build(bytes({0xe9, 0x00, 0x10, 0x00, 0x00}));
    ASSERT_EQ(r.error, trampoline_error::none);
    EXPECT_EQ(r.code.size, 5);
    EXPECT_EQ(disassemble(r.code).front().target, source + 0x1005);
}

TEST(Trampoline, RetEndingExactlyAtFiveBytesIsAccepted) {
    const trampoline_result r = build(bytes({0x31, 0xc0, 0x40, 0x40, 0xc3}));
    ASSERT_EQ(r.error, trampoline_error::none);
    EXPECT_EQ(r.code.size, 5);  // no unreachable jump back
}

TEST(Trampoline, UnsafeProloguesAreRefused) {
    struct refusal {
        const char* name;
        std::vector<std::uint8_t> code;
        trampoline_error error;
    };
    const refusal cases[] = {
        {"loop back to the entry", bytes({0x49, 0x75, 0xfd, 0x89, 0xc8, 0xc3}), trampoline_error::branch_into_patch},
        {"branch into the middle of the patch", bytes({0x90, 0x49, 0x75, 0xfd, 0x89, 0xc8}),
         trampoline_error::branch_into_patch},
        {"forward branch inside the copied bytes", bytes({0x74, 0x01, 0x90, 0x89, 0xc8, 0xc3}),
         trampoline_error::branch_into_patch},
        {"near jcc to the copied tail", bytes({0x90, 0x0f, 0x84, 0xfd, 0xff, 0xff, 0xff}),
         trampoline_error::branch_into_patch},
        {"ret in the first bytes", bytes({0x31, 0xc0, 0xc3, 0xcc, 0xcc, 0xcc, 0xcc}), trampoline_error::flow_ends_early},
        {"ret imm16 in the first bytes", bytes({0xc2, 0x04, 0x00, 0xcc, 0xcc}), trampoline_error::flow_ends_early},
        {"short jmp first (a hot-patch already in use)", bytes({0xeb, 0xf9, 0x55, 0x8b, 0xec}),
         trampoline_error::flow_ends_early},
        {"padding", bytes({0xcc, 0xcc, 0xcc, 0xcc, 0xcc, 0xcc}), trampoline_error::flow_ends_early},
        {"indirect jmp thunk", bytes({0xff, 0xe0, 0x90, 0x90, 0x90}), trampoline_error::flow_ends_early},
        {"unknown opcode", bytes({0x0f, 0x04, 0x90, 0x90, 0x90, 0xc3}), trampoline_error::invalid_instruction},
        {"unknown opcode after good ones", bytes({0x55, 0x89, 0xe5, 0x0f, 0x04}), trampoline_error::invalid_instruction},
        {"readable bytes end inside an instruction", bytes({0x55, 0x89, 0xe5, 0x83, 0xec}),
         trampoline_error::invalid_instruction},
        {"fewer than five bytes", bytes({0x55, 0x89, 0xe5}), trampoline_error::invalid_instruction},
        {"call rel16", bytes({0x66, 0xe8, 0x10, 0x00, 0x90}), trampoline_error::unrelocatable},
        {"xbegin", bytes({0xc7, 0xf8, 0x10, 0x00, 0x00, 0x00}), trampoline_error::unrelocatable},
    };
    for (const refusal& c : cases) EXPECT_EQ(build(c.code).error, c.error) << c.name;
}

TEST(Trampoline, OffsetsMapInstructionStartsOnly) {
    // test ecx,ecx (0) ; js (2) ; lea (4)  ->  0, 2, 8 in the trampoline
    const trampoline_result r = build(bytes({0x85, 0xc9, 0x78, 0x04, 0x8d, 0x41, 0x03, 0xc3}));
    ASSERT_EQ(r.error, trampoline_error::none);
    const std::pair<int, int> expected[] = {{0, 0}, {1, -1}, {2, 2}, {3, -1}, {4, 8}, {5, -1}, {6, -1}, {7, -1}};
    for (const auto& [from, to] : expected) EXPECT_EQ(r.code.map_offset(from), to) << "offset " << from;
}

TEST(Trampoline, AddressesWrapAround) {
    // Function near the top of the address space, trampoline near the bottom.
    const std::uint32_t high = 0xfffffff0u;
    const trampoline_result r = build(bytes({0x74, 0x20, 0x8b, 0x45, 0x08}), high, 0x1000);
    ASSERT_EQ(r.error, trampoline_error::none);
    const auto code = disassemble(r.code, 0x1000);
    EXPECT_EQ(code.front().target, high + 0x22);  // wraps to 0x12
    EXPECT_EQ(code.back().target, high + 5);
    EXPECT_EQ(encode_jmp(0x2000, 0x1000), (std::array<std::uint8_t, 5>{0xe9, 0xfb, 0xef, 0xff, 0xff}));
    EXPECT_EQ(encode_jmp(0x1000, 0x2000), (std::array<std::uint8_t, 5>{0xe9, 0xfb, 0x0f, 0x00, 0x00}));
}

TEST(Trampoline, RandomCodeGivesAValidTrampolineOrARefusal) {
    std::mt19937 rng(4711);
    int built = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::uint8_t> code(5 + rng() % 16);
        for (auto& b : code) b = std::uint8_t(rng());
        const std::uint32_t from = rng(), to = rng();
        const trampoline_result r = build(code, from, to);
        if (r.error != trampoline_error::none) continue;
        ++built;
        ASSERT_GE(r.code.patch_length, jmp_rel32_size);
        ASSERT_LE(r.code.size, max_trampoline_size);
        std::size_t decoded = 0;
        for (const instruction& d : disassemble(r.code, to)) decoded += d.length;
        ASSERT_EQ(decoded, r.code.size);
    }
    EXPECT_GT(built, 1000);
}

#include "tests/hook/hook_targets.h"

// Exact bytes where the test depends on them; each function is aligned so
// that nothing before it runs into it.
__asm__(R"(
    .text
    .intel_syntax noprefix

    .p2align 4
    .globl orvane_hot_patch_target
orvane_hot_patch_target:
    .byte 0x8b, 0xff, 0x55, 0x8b, 0xec
    mov eax, [ebp + 8]
    add eax, 1
    pop ebp
    ret

    .p2align 4
    .globl orvane_wine_style_target
orvane_wine_style_target:
    .byte 0x8d, 0x4c, 0x24, 0x04, 0x83, 0xe4, 0xf0, 0xff, 0x71, 0xfc, 0x55, 0x89, 0xe5, 0x57, 0x56, 0x53
    push ecx
    mov eax, [ecx]
    add eax, 2
    pop ecx
    pop ebx
    pop esi
    pop edi
    pop ebp
    lea esp, [ecx - 4]
    ret

    .p2align 4
    .globl orvane_short_jcc_target
orvane_short_jcc_target:
    .byte 0x85, 0xc9, 0x78, 0x04, 0x8d, 0x41, 0x03, 0xc3
    .byte 0x8d, 0x41, 0xfd, 0xc3

    .p2align 4
    .globl orvane_jecxz_target
orvane_jecxz_target:
    .byte 0xe3, 0x04, 0x8d, 0x41, 0x05, 0xc3
    mov eax, 999
    ret

    .p2align 4
    .globl orvane_call_target
orvane_call_target:
    call 1f
    add eax, 7
    ret
1:  mov eax, [esp + 8]
    ret

    .p2align 4
    .globl orvane_get_pc_target
orvane_get_pc_target:
    .byte 0xe8, 0x00, 0x00, 0x00, 0x00
    pop eax
    ret

    .irp n, 0, 1, 2, 3, 4, 5, 6, 7
    .p2align 4
    .globl orvane_spin_target_\n
orvane_spin_target_\n:
    .byte 0x31, 0xc0, 0x40, 0x40, 0x03, 0x44, 0x24, 0x04
    ret
    .endr

    .p2align 4
    .globl orvane_race_target
orvane_race_target:
    .byte 0x8b, 0x44, 0x24, 0x04, 0x40
    ret

    .p2align 4
    .globl orvane_loop_back_target
orvane_loop_back_target:
    .byte 0x49, 0x75, 0xfd, 0x89, 0xc8, 0xc3

    .p2align 4
    .globl orvane_early_ret_target
orvane_early_ret_target:
    .byte 0x31, 0xc0, 0xc3, 0xcc, 0xcc, 0xcc, 0xcc, 0xcc

    .p2align 4
    .globl orvane_unknown_opcode_target
orvane_unknown_opcode_target:
    .byte 0x0f, 0x04, 0x90, 0x90, 0x90, 0x90, 0xc3

    .att_syntax prefix
)");

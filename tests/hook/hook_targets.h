#pragma once
// Functions with hand-picked first bytes to hook (defined in assembly).

#define ORVANE_TARGET(ret, conv, name, params) extern "C" ret conv name params __asm__("orvane_" #name)
#define ORVANE_FASTCALL __attribute__((fastcall))

// x + 1 behind the Windows hot-patch prologue: mov edi,edi ; push ebp ; mov ebp,esp
ORVANE_TARGET(int, __cdecl, hot_patch_target, (int x));
// x + 2 behind Wine's realigning prologue: lea ecx,[esp+4] ; and esp,-16 ; push [ecx-4] ...
ORVANE_TARGET(int, __cdecl, wine_style_target, (int x));
// x >= 0 ? x + 3 : x - 3, starting test ecx,ecx ; js (short)
ORVANE_TARGET(int, ORVANE_FASTCALL, short_jcc_target, (int x));
// x == 0 ? 999 : x + 5, starting with jecxz
ORVANE_TARGET(int, ORVANE_FASTCALL, jecxz_target, (int x));
// x + 7, starting with call rel32 to a helper that reads the argument
ORVANE_TARGET(int, __cdecl, call_target, (int x));
// Its own address + 5, found by call $+5 ; pop eax
ORVANE_TARGET(unsigned, __cdecl, get_pc_target, ());
// x + 2 through xor eax,eax ; inc eax ; inc eax ; add eax,[esp+4]: four
// instruction starts in the patched bytes for a thread to be caught at.
ORVANE_TARGET(int, __cdecl, spin_target_0, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_1, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_2, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_3, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_4, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_5, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_6, (int x));
ORVANE_TARGET(int, __cdecl, spin_target_7, (int x));
// x + 1, hooked by two threads at once
ORVANE_TARGET(int, __cdecl, race_target, (int x));

// Refused: dec ecx ; jnz <entry> (a loop back into the patched bytes)
ORVANE_TARGET(int, ORVANE_FASTCALL, loop_back_target, (int x));
// Refused: xor eax,eax ; ret ; int3 padding
ORVANE_TARGET(int, __cdecl, early_ret_target, ());
// Refused: starts with an undefined opcode (never called)
ORVANE_TARGET(void, __cdecl, unknown_opcode_target, ());

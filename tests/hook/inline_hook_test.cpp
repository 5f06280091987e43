#include "hook/inline_hook.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/pcm_format.h"
#include "tests/hook/hook_targets.h"

using namespace Orvane::hook;

namespace {

using cdecl_fn = int(__cdecl*)(int);
using fastcall_fn = int(ORVANE_FASTCALL*)(int);

constexpr int detour_offset = 1000000;

// One detour per target, each with its own real entry and call count.
template <int N>
struct cdecl_detour {
    static inline cdecl_fn original = nullptr;
    static inline int calls = 0;
    static int __cdecl detour(int x) {
        ++calls;
        return original(x) + detour_offset;
    }
};

template <int N>
struct fastcall_detour {
    static inline fastcall_fn original = nullptr;
    static inline int calls = 0;
    static int ORVANE_FASTCALL detour(int x) {
        ++calls;
        return original(x) + detour_offset;
    }
};

void* code(cdecl_fn f) { return reinterpret_cast<void*>(f); }
void* code(fastcall_fn f) { return reinterpret_cast<void*>(f); }

template <class Fn>
void** slot(Fn& original) { return reinterpret_cast<void**>(&original); }

// Every test after the first needs the layer up; a repeat is harmless.
void ensure_initialized() {
    const status s = initialize();
    ASSERT_TRUE(s == status::ok || s == status::already_initialized) << to_string(s);
}

DWORD protection_of(const void* p) {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(p, &info, sizeof info);
    return info.Protect;
}

const int inputs[] = {-5, 0, 7, 123456};

}  // namespace

// Must run first: nothing is initialized yet.
TEST(InlineHook, RefusesWorkUntilInitializedAndInitializesOnce) {
    cdecl_fn original = nullptr;
    EXPECT_EQ(create_hook(code(&hot_patch_target), code(&cdecl_detour<0>::detour), slot(original)),
              status::not_initialized);
    EXPECT_EQ(original, nullptr);
    EXPECT_EQ(enable_all_hooks(), status::not_initialized);
    EXPECT_EQ(initialize(), status::ok);
    EXPECT_EQ(initialize(), status::already_initialized);
    EXPECT_EQ(enable_all_hooks(), status::ok);  // nothing to enable yet
}

TEST(InlineHook, VariedProloguesReachTheDetourAndTheOriginalThroughTheTrampoline) {
    ensure_initialized();
    struct cdecl_case {
        const char* name;
        cdecl_fn target;
        cdecl_fn detour;
        cdecl_fn& original;
        int& calls;
    };
    const cdecl_case cdecl_cases[] = {
        {"hot-patch", &hot_patch_target, &cdecl_detour<1>::detour, cdecl_detour<1>::original, cdecl_detour<1>::calls},
        {"wine realigning", &wine_style_target, &cdecl_detour<2>::detour, cdecl_detour<2>::original,
         cdecl_detour<2>::calls},
        {"call rel32", &call_target, &cdecl_detour<3>::detour, cdecl_detour<3>::original, cdecl_detour<3>::calls},
    };
    struct fastcall_case {
        const char* name;
        fastcall_fn target;
        fastcall_fn detour;
        fastcall_fn& original;
        int& calls;
    };
    const fastcall_case fastcall_cases[] = {
        {"short jcc", &short_jcc_target, &fastcall_detour<1>::detour, fastcall_detour<1>::original,
         fastcall_detour<1>::calls},
        {"jecxz", &jecxz_target, &fastcall_detour<2>::detour, fastcall_detour<2>::original, fastcall_detour<2>::calls},
    };

    // What the functions return unhooked.
    std::vector<int> expected;
    for (const auto& c : cdecl_cases)
        for (int x : inputs) expected.push_back(c.target(x));
    for (const auto& c : fastcall_cases)
        for (int x : inputs) expected.push_back(c.target(x));
    EXPECT_EQ(expected[0], -4);  // the fixtures do what they say
    EXPECT_EQ(expected[4 * 3 + 1], 3);
    EXPECT_EQ(expected[4 * 4 + 1], 999);

    const DWORD protection = protection_of(code(&hot_patch_target));
    for (const auto& c : cdecl_cases)
        ASSERT_EQ(create_hook(code(c.target), code(c.detour), slot(c.original)), status::ok) << c.name;
    for (const auto& c : fastcall_cases)
        ASSERT_EQ(create_hook(code(c.target), code(c.detour), slot(c.original)), status::ok) << c.name;

    // Created but not enabled: the target is unchanged, the trampoline already works.
    EXPECT_EQ(hot_patch_target(1), 2);
    EXPECT_EQ(cdecl_detour<1>::original(1), 2);
    EXPECT_EQ(cdecl_detour<1>::calls, 0);

    ASSERT_EQ(enable_all_hooks(), status::ok);
    EXPECT_EQ(protection_of(code(&hot_patch_target)), protection);

    std::size_t i = 0;
    for (const auto& c : cdecl_cases) {
        for (int x : inputs) {
            EXPECT_EQ(c.target(x), expected[i] + detour_offset) << c.name << " x=" << x;
            EXPECT_EQ(c.original(x), expected[i]) << c.name << " x=" << x;
            ++i;
        }
        EXPECT_EQ(c.calls, 4) << c.name;
    }
    for (const auto& c : fastcall_cases) {
        for (int x : inputs) {
            EXPECT_EQ(c.target(x), expected[i] + detour_offset) << c.name << " x=" << x;
            EXPECT_EQ(c.original(x), expected[i]) << c.name << " x=" << x;
            ++i;
        }
        EXPECT_EQ(c.calls, 4) << c.name;
    }
    EXPECT_EQ(enable_all_hooks(), status::ok);  // again: nothing left to do
}

namespace get_pc {
unsigned(__cdecl* original)() = nullptr;
unsigned __cdecl detour() { return original(); }
}  // namespace get_pc

TEST(InlineHook, CodeThatReadsItsReturnAddressStillSeesTheOriginalOne) {
    ensure_initialized();
    const auto address = unsigned(reinterpret_cast<std::uintptr_t>(&get_pc_target));
    ASSERT_EQ(get_pc_target(), address + 5);
    ASSERT_EQ(create_hook(reinterpret_cast<void*>(&get_pc_target), reinterpret_cast<void*>(&get_pc::detour),
                          slot(get_pc::original)),
              status::ok);
    ASSERT_EQ(enable_all_hooks(), status::ok);
    EXPECT_EQ(get_pc_target(), address + 5);
    EXPECT_EQ(get_pc::original(), address + 5);
}

TEST(InlineHook, UnsafeOrInvalidTargetsAreRefusedWithAStatus) {
    ensure_initialized();
    void* detour = code(&cdecl_detour<9>::detour);

    // Prologues that cannot be moved.
    EXPECT_EQ(create_hook(code(&loop_back_target), detour, nullptr), status::unsupported_function);
    EXPECT_EQ(create_hook(reinterpret_cast<void*>(&early_ret_target), detour, nullptr),
              status::unsupported_function);
    EXPECT_EQ(create_hook(reinterpret_cast<void*>(&unknown_opcode_target), detour, nullptr),
              status::unsupported_function);
    EXPECT_EQ(loop_back_target(3), 0);  // untouched and still working
    EXPECT_EQ(early_ret_target(), 0);

    // Memory that is not code: data, a freed page, null; and a non-executable detour.
    void* data = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(data, nullptr);
    const unsigned char prologue[] = {0x55, 0x89, 0xe5, 0x8b, 0x45, 0x08, 0x5d, 0xc3};
    memcpy(data, prologue, sizeof prologue);
    EXPECT_EQ(create_hook(data, detour, nullptr), status::not_executable);
    EXPECT_EQ(create_hook(code(&race_target), data, nullptr), status::not_executable);
    VirtualFree(data, 0, MEM_RELEASE);
    EXPECT_EQ(create_hook(data, detour, nullptr), status::not_executable);
    EXPECT_EQ(create_hook(nullptr, detour, nullptr), status::not_executable);
    EXPECT_EQ(create_hook(code(&race_target), nullptr, nullptr), status::not_executable);

    // A target inside bytes that another hook already owns.
    auto* hot_patch = reinterpret_cast<unsigned char*>(&hot_patch_target);
    EXPECT_EQ(create_hook(hot_patch + 2, detour, nullptr), status::unsupported_function);

    EXPECT_EQ(enable_all_hooks(), status::ok);  // the refusals left nothing half-made
}

TEST(InlineHook, CreatingAHookTwiceIsHarmless) {
    ensure_initialized();
    cdecl_fn second = reinterpret_cast<cdecl_fn>(0x1234);
    void* target = code(&wine_style_target);  // hooked by an earlier test or below
    cdecl_fn first = nullptr;
    const status s = create_hook(target, code(&cdecl_detour<2>::detour), slot(first));
    ASSERT_TRUE(s == status::ok || s == status::already_created) << to_string(s);
    EXPECT_EQ(create_hook(target, code(&cdecl_detour<7>::detour), slot(second)), status::already_created);
    EXPECT_EQ(second, reinterpret_cast<cdecl_fn>(0x1234));  // the real entry stays where it is
}

namespace race {
std::atomic<int> ready{0};
cdecl_fn originals[2] = {nullptr, nullptr};
int __cdecl detour(int x) { return (originals[0] ? originals[0] : originals[1])(x) + detour_offset; }
}  // namespace race

// The winner enables while the loser may wait for the lock and the main
// thread waits in join: both get suspended and resumed.
TEST(InlineHook, TwoThreadsHookingOneTargetGetOneHook) {
    ensure_initialized();
    status results[2];
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back([i, &results] {
            ++race::ready;
            while (race::ready < 2) {
            }
            results[i] = create_hook(code(&race_target), code(&race::detour), slot(race::originals[i]));
            if (results[i] == status::ok) results[i] = enable_all_hooks();
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(int(results[0] == status::ok) + int(results[1] == status::ok), 1);
    EXPECT_EQ(int(results[0] == status::already_created) + int(results[1] == status::already_created), 1);
    EXPECT_EQ(int(race::originals[0] != nullptr) + int(race::originals[1] != nullptr), 1);
    EXPECT_EQ(enable_all_hooks(), status::ok);
    EXPECT_EQ(race_target(41), 42 + detour_offset);
}

namespace spin {
constexpr int count = 8;
const cdecl_fn targets[count] = {&spin_target_0, &spin_target_1, &spin_target_2, &spin_target_3,
                                 &spin_target_4, &spin_target_5, &spin_target_6, &spin_target_7};
cdecl_fn originals[count] = {};
template <int N>
int __cdecl detour(int x) {
    return originals[N](x) + detour_offset;
}
const cdecl_fn detours[count] = {&detour<0>, &detour<1>, &detour<2>, &detour<3>,
                                 &detour<4>, &detour<5>, &detour<6>, &detour<7>};
}  // namespace spin

// Another thread keeps calling the targets while they are patched: it must
// only ever see the original or the hooked result, never torn code.
TEST(InlineHook, AThreadRunningTheTargetDuringEnablingSeesNoTornCode) {
    ensure_initialized();
    std::atomic<bool> running{false}, stop{false};
    std::atomic<long> calls{0}, wrong{0};
    std::atomic<unsigned> hooked_seen{0};

    std::thread spinner([&] {
        running = true;
        for (unsigned i = 0; !stop || i < 1000; ++i) {
            for (int t = 0; t < spin::count; ++t) {
                const int x = int(i & 0xffff);
                const int r = spin::targets[t](x);
                if (r == x + 2 + detour_offset) hooked_seen |= 1u << t;
                else if (r != x + 2) ++wrong;
            }
            calls += spin::count;
        }
    });
    while (!running) Sleep(0);

    for (int t = 0; t < spin::count; ++t) {
        while (calls < 20000L * (t + 1)) Sleep(0);  // let it run into the target again
        ASSERT_EQ(create_hook(code(spin::targets[t]), code(spin::detours[t]), slot(spin::originals[t])), status::ok);
        ASSERT_EQ(enable_all_hooks(), status::ok);
    }
    const long enabled_at = calls;
    while (calls < enabled_at + 20000) Sleep(0);
    stop = true;
    spinner.join();

    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(hooked_seen, (1u << spin::count) - 1);
    EXPECT_GE(calls, 200000);
}

namespace winmm {
UINT(WINAPI* real_num_devs)() = nullptr;
int num_devs_calls = 0;
UINT WINAPI num_devs_detour() {
    ++num_devs_calls;
    return real_num_devs() + 1000;
}

using open_fn = MMRESULT(WINAPI*)(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
open_fn real_open = nullptr;
const DWORD_PTR marker = 0x5eed;
int open_answered = 0;
MMRESULT WINAPI open_detour(LPHWAVEOUT out, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags) {
    if (callback == marker) {
        ++open_answered;
        *out = reinterpret_cast<HWAVEOUT>(marker);
        return MMSYSERR_NOERROR;
    }
    return real_open(out, device, format, callback, instance, flags);
}
}  // namespace winmm

// winmm is used before it is hooked, so that its device thread is waiting in
// the kernel while the hooks are enabled.
TEST(InlineHook, WinmmWaveOutputFunctionsCanBeHooked) {
    ensure_initialized();
    HMODULE module = GetModuleHandleW(L"winmm.dll");
    ASSERT_NE(module, nullptr);
    void* num_devs = reinterpret_cast<void*>(GetProcAddress(module, "waveOutGetNumDevs"));
    void* open = reinterpret_cast<void*>(GetProcAddress(module, "waveOutOpen"));
    ASSERT_NE(num_devs, nullptr);
    ASSERT_NE(open, nullptr);
    const UINT devices_before = waveOutGetNumDevs();

    ASSERT_EQ(create_hook(num_devs, reinterpret_cast<void*>(&winmm::num_devs_detour), slot(winmm::real_num_devs)),
              status::ok);
    ASSERT_EQ(create_hook(open, reinterpret_cast<void*>(&winmm::open_detour), slot(winmm::real_open)), status::ok);
    ASSERT_EQ(enable_all_hooks(), status::ok);

    WAVEFORMATEX format = Orvane::engine::pcm_wave_format();

    // Through the import table, as any caller in the process would.
    HWAVEOUT handle = nullptr;
    EXPECT_EQ(waveOutOpen(&handle, WAVE_MAPPER, &format, winmm::marker, 0, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    EXPECT_EQ(handle, reinterpret_cast<HWAVEOUT>(winmm::marker));
    EXPECT_EQ(winmm::open_answered, 1);

    const UINT devices = winmm::real_num_devs();
    EXPECT_EQ(devices, devices_before);
    EXPECT_EQ(waveOutGetNumDevs(), devices + 1000);
    EXPECT_EQ(winmm::num_devs_calls, 1);

    const MMRESULT query = winmm::real_open(&handle, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY);
    EXPECT_EQ(waveOutOpen(&handle, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY), query);
    EXPECT_EQ(winmm::open_answered, 1);
}

TEST(InlineHook, ThreadsWaitingInTheKernelAreSuspendedAndResumed) {
    ensure_initialized();
    // A fresh function in memory of our own; it stays, like every hooked function.
    auto* fn = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    ASSERT_NE(fn, nullptr);
    const unsigned char body[] = {0x8b, 0x44, 0x24, 0x04, 0x40, 0xc3};  // mov eax,[esp+4] ; inc eax ; ret
    memcpy(fn, body, sizeof body);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> woke{false};
    std::thread sleeper([&] {
        WaitForSingleObject(event, INFINITE);
        woke = true;
    });
    Sleep(20);  // usually already waiting; either way it must come back
    ASSERT_EQ(create_hook(fn, code(&cdecl_detour<8>::detour), slot(cdecl_detour<8>::original)), status::ok);
    EXPECT_EQ(enable_all_hooks(), status::ok);
    EXPECT_EQ(reinterpret_cast<cdecl_fn>(fn)(1), 2 + detour_offset);
    SetEvent(event);
    sleeper.join();
    EXPECT_TRUE(woke);
    CloseHandle(event);
}

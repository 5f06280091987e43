#include "hook/inline_hook.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "hook/executable_memory.h"
#include "hook/hook_failure.h"
#include "hook/memory_query.h"
#include "hook/thread_freezer.h"
#include "hook/trampoline.h"
#include "hook/x86_decoder.h"
#include "utils/critical_section.h"

namespace Orvane::hook {
namespace {

struct hook_record {
    std::uint8_t* target;
    void* detour;
    std::uint8_t* trampoline;
    trampoline_code code;
    bool enabled;
};

struct hook_state {
    utils::critical_section lock;
    bool initialized = false;
    std::vector<hook_record> hooks;
    executable_memory memory;
};

// Patched code keeps jumping into the trampolines until the process ends,
// later than any static destructor, so the state is never destroyed.
hook_state& state() {
    static hook_state* const s = new hook_state;
    return *s;
}

std::uint32_t address_of(const void* p) { return std::uint32_t(reinterpret_cast<std::uintptr_t>(p)); }

bool overlaps(const hook_record& r, const std::uint8_t* start, std::size_t length) {
    return start < r.target + r.code.patch_length && r.target < start + length;
}

// The one place where internal failures become status codes.
template <class F>
status guarded(F&& body) {
    try {
        hook_state& s = state();
        std::lock_guard<utils::critical_section> hold(s.lock);
        return body(s);
    } catch (const hook_failure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return status::memory_alloc;
    } catch (...) {
        return status::error;
    }
}

status create(hook_state& s, void* target_ptr, void* detour, void** original) {
    if (!s.initialized) return status::not_initialized;
    if (!is_executable(target_ptr) || !is_executable(detour)) return status::not_executable;
    auto* target = static_cast<std::uint8_t*>(target_ptr);
    for (const hook_record& r : s.hooks) {
        if (r.target == target) return status::already_created;
        if (overlaps(r, target, jmp_rel32_size)) return status::unsupported_function;
    }

    std::uint8_t* slot = s.memory.acquire();
    const std::size_t available = readable_bytes(target, jmp_rel32_size + max_instruction_length);
    const trampoline_result built = build_trampoline(target, available, address_of(target), address_of(slot));
    if (built.error != trampoline_error::none) return status::unsupported_function;
    for (const hook_record& r : s.hooks)
        if (overlaps(r, target, built.code.patch_length)) return status::unsupported_function;

    s.hooks.reserve(s.hooks.size() + 1);
    s.memory.write(slot, built.code.bytes.data(), built.code.size);
    s.memory.commit();
    s.hooks.push_back(hook_record{target, detour, slot, built.code, false});
    if (original) *original = slot;
    return status::ok;
}

// Needs the other threads stopped.
bool write_jmp(const hook_record& r, const void* detour) {
    const auto jmp = encode_jmp(address_of(r.target), address_of(detour));
    DWORD old = 0;
    if (!VirtualProtect(r.target, jmp.size(), PAGE_EXECUTE_READWRITE, &old)) return false;
    std::memcpy(r.target, jmp.data(), jmp.size());
    VirtualProtect(r.target, jmp.size(), old, &old);
    FlushInstructionCache(GetCurrentProcess(), r.target, jmp.size());
    return true;
}

status enable_all(hook_state& s) {
    if (!s.initialized) return status::not_initialized;
    bool pending = false;
    for (const hook_record& r : s.hooks) pending = pending || !r.enabled;
    if (!pending) return status::ok;

    status result = status::ok;
    thread_freezer frozen;
    for (hook_record& r : s.hooks) {
        if (r.enabled) continue;
        if (!write_jmp(r, r.detour)) {
            result = status::memory_protect;
            continue;
        }
        r.enabled = true;
        frozen.move_out_of(address_of(r.target), r.code, address_of(r.trampoline));
    }
    return result;
}

}  // namespace

status initialize() {
    return guarded([](hook_state& s) {
        if (s.initialized) return status::already_initialized;
        s.initialized = true;
        return status::ok;
    });
}

status create_hook(void* target, void* detour, void** original) {
    return guarded([&](hook_state& s) { return create(s, target, detour, original); });
}

status enable_all_hooks() {
    return guarded([](hook_state& s) { return enable_all(s); });
}

const char* to_string(status s) {
    switch (s) {
    case status::ok: return "ok";
    case status::already_initialized: return "already initialized";
    case status::not_initialized: return "not initialized";
    case status::already_created: return "already created";
    case status::not_executable: return "not executable";
    case status::unsupported_function: return "unsupported function";
    case status::memory_alloc: return "memory allocation failed";
    case status::memory_protect: return "memory protection change failed";
    case status::error: return "error";
    }
    return "unknown";
}

}  // namespace Orvane::hook

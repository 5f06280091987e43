#pragma once
// Inline hooks on 32-bit x86 functions, shaped like MinHook's calls:
// initialize once, create hooks, then enable them all. Hooks stay until the
// process ends; there is no removal. Every call is thread-safe and repeated
// calls are harmless (they report already_initialized / already_created).

namespace Orvane::hook {

enum class status {
    ok,
    already_initialized,
    not_initialized,
    already_created,
    not_executable,        // target or detour is not committed executable memory
    unsupported_function,  // the target's first instructions cannot be moved safely
    memory_alloc,
    memory_protect,
    error,
};

const char* to_string(status s);

status initialize();

// Builds the trampoline for `target` and stores its address in *original
// (when `original` is not null) before returning ok. The hook is not active
// until enable_all_hooks. On already_created, *original is left untouched.
status create_hook(void* target, void* detour, void** original);

// Writes the JMP into every created hook that is not active yet, with the
// other threads of the process suspended and moved out of the patched bytes.
status enable_all_hooks();

}  // namespace Orvane::hook

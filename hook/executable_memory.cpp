#include "hook/executable_memory.h"

#include <cstring>

#include "hook/hook_failure.h"

namespace Orvane::hook {

std::uint8_t* executable_memory::acquire() {
    if (used_in_last_ + slot_size > page_size) {
        pages_.reserve(pages_.size() + 1);
        auto* page = static_cast<std::uint8_t*>(
            VirtualAlloc(nullptr, page_size, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READ));
        if (!page) throw hook_failure{status::memory_alloc};
        pages_.emplace_back(page);
        used_in_last_ = 0;
    }
    return pages_.back().get() + used_in_last_;
}

void executable_memory::commit() { used_in_last_ += slot_size; }

void executable_memory::write(std::uint8_t* slot, const std::uint8_t* code, std::size_t size) {
    if (size > slot_size) throw hook_failure{status::error};
    // Stays executable throughout: other trampolines on the page may be running.
    DWORD old = 0;
    if (!VirtualProtect(slot, size, PAGE_EXECUTE_READWRITE, &old)) throw hook_failure{status::memory_protect};
    std::memcpy(slot, code, size);
    VirtualProtect(slot, size, old, &old);
    FlushInstructionCache(GetCurrentProcess(), slot, size);
}

}  // namespace Orvane::hook

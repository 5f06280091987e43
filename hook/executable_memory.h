#pragma once
// Executable pages cut into trampoline slots. Slots are never given back:
// hooks are never removed, so their trampolines must live as long as the process.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Orvane::hook {

class executable_memory {
public:
    static constexpr std::size_t slot_size = 64;

    // The next free slot; the same one again until commit(). Throws hook_failure.
    std::uint8_t* acquire();
    // Marks the slot from acquire() as used.
    void commit();
    // Copies code into a slot (the page is executable before and after).
    void write(std::uint8_t* slot, const std::uint8_t* code, std::size_t size);

private:
    struct page_release {
        void operator()(std::uint8_t* page) const { VirtualFree(page, 0, MEM_RELEASE); }
    };
    static constexpr std::size_t page_size = 4096;

    std::vector<std::unique_ptr<std::uint8_t, page_release>> pages_;
    std::size_t used_in_last_ = page_size;
};

}  // namespace Orvane::hook

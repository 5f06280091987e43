#pragma once
// Suspends every other thread of the process for as long as it lives, so that
// no thread runs an instruction while its bytes are being replaced.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "hook/trampoline.h"
#include "utils/handle.h"

namespace Orvane::hook {

class thread_freezer {
public:
    // Allocates everything it needs before the first thread is suspended: a
    // suspended thread may hold the heap lock.
    thread_freezer();
    thread_freezer(const thread_freezer&) = delete;
    thread_freezer& operator=(const thread_freezer&) = delete;

    // Moves each thread stopped inside the first code.patch_length bytes at
    // `target` to the same instruction in the trampoline at `trampoline`.
    void move_out_of(std::uint32_t target, const trampoline_code& code, std::uint32_t trampoline);

    std::size_t count() const { return threads_.size(); }

private:
    // One suspended thread; resumed when destroyed.
    class frozen_thread {
    public:
        explicit frozen_thread(utils::unique_handle thread);
        frozen_thread(frozen_thread&&) noexcept = default;
        frozen_thread& operator=(frozen_thread&&) noexcept = default;
        ~frozen_thread();

        bool suspended() const { return suspended_; }
        bool has_context() const { return has_context_; }
        DWORD eip() const { return context_.Eip; }
        void set_eip(DWORD eip);

    private:
        utils::unique_handle thread_;
        CONTEXT context_{};
        bool suspended_ = false;
        bool has_context_ = false;
    };

    std::vector<frozen_thread> threads_;
};

}  // namespace Orvane::hook

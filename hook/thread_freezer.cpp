#include "hook/thread_freezer.h"

#include <tlhelp32.h>

#include <utility>

namespace Orvane::hook {
namespace {

std::vector<DWORD> other_thread_ids() {
    std::vector<DWORD> ids;
    utils::unique_handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return ids;
    const DWORD process = GetCurrentProcessId();
    const DWORD self = GetCurrentThreadId();
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == process && entry.th32ThreadID != self) ids.push_back(entry.th32ThreadID);
        entry.dwSize = sizeof entry;
    }
    return ids;
}

}  // namespace

thread_freezer::frozen_thread::frozen_thread(utils::unique_handle thread) : thread_(std::move(thread)) {
    suspended_ = SuspendThread(thread_.get()) != DWORD(-1);
    if (!suspended_) return;
    // Also waits until the thread has really stopped.
    context_.ContextFlags = CONTEXT_CONTROL;
    has_context_ = GetThreadContext(thread_.get(), &context_) != FALSE;
}

thread_freezer::frozen_thread::~frozen_thread() {
    if (suspended_ && thread_) ResumeThread(thread_.get());
}

void thread_freezer::frozen_thread::set_eip(DWORD eip) {
    context_.Eip = eip;
    context_.ContextFlags = CONTEXT_CONTROL;
    SetThreadContext(thread_.get(), &context_);
}

// A thread started after the snapshot is not held; it begins at its own start
// routine, so it can only meet the patch by calling the target in the short
// time until the write, the same window MinHook leaves open.
thread_freezer::thread_freezer() {
    const std::vector<DWORD> ids = other_thread_ids();
    threads_.reserve(ids.size());
    for (DWORD id : ids) {
        utils::unique_handle thread(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT |
                                         THREAD_QUERY_INFORMATION,
                                     FALSE, id));
        if (!thread) continue;  // already gone
        frozen_thread frozen(std::move(thread));
        if (frozen.suspended()) threads_.push_back(std::move(frozen));
    }
}

void thread_freezer::move_out_of(std::uint32_t target, const trampoline_code& code, std::uint32_t trampoline) {
    for (frozen_thread& thread : threads_) {
        if (!thread.has_context()) continue;
        const std::uint32_t offset = thread.eip() - target;
        // Offset 0 may stay: it will run the new JMP, which is the hook taking effect.
        if (offset == 0 || offset >= code.patch_length) continue;
        const int moved = code.map_offset(offset);
        if (moved >= 0) thread.set_eip(trampoline + std::uint32_t(moved));
    }
}

}  // namespace Orvane::hook

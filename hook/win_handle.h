#pragma once
// Owner of a kernel handle (threads, snapshots): closed on every path.

#include <windows.h>

#include <utility>

namespace Orvane::hook {

class win_handle {
public:
    win_handle() = default;
    explicit win_handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    win_handle(win_handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    win_handle& operator=(win_handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    win_handle(const win_handle&) = delete;
    win_handle& operator=(const win_handle&) = delete;
    ~win_handle() { reset(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

}  // namespace Orvane::hook

#pragma once
// Owner of a kernel handle. Both "no handle" values of the Windows API
// (null and INVALID_HANDLE_VALUE) count as empty.

#include <windows.h>

#include <utility>

namespace Orvane::utils {

class unique_handle {
public:
    unique_handle() = default;
    explicit unique_handle(HANDLE handle) : handle_(handle) {}
    unique_handle(unique_handle&& other) noexcept : handle_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    ~unique_handle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }

    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Releases an owned mutex before its handle is closed.
class owned_mutex {
public:
    owned_mutex() = default;
    explicit owned_mutex(unique_handle handle) : handle_(std::move(handle)) {}
    owned_mutex(owned_mutex&&) noexcept = default;
    owned_mutex& operator=(owned_mutex&& other) noexcept {
        release_ownership();
        handle_ = std::move(other.handle_);
        return *this;
    }
    ~owned_mutex() { release_ownership(); }

    bool valid() const { return handle_.valid(); }

private:
    void release_ownership() {
        if (handle_) ReleaseMutex(handle_.get());
        handle_.reset();
    }
    unique_handle handle_;
};

}  // namespace Orvane::utils

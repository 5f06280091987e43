#pragma once
// Owning holder of one COM reference.

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace Orvane::com {

template <class I>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(const com_ptr& other) : p(other.p) {
        if (p) p->AddRef();
    }
    com_ptr(com_ptr&& other) noexcept : p(std::exchange(other.p, nullptr)) {}
    com_ptr& operator=(com_ptr other) noexcept {
        std::swap(p, other.p);
        return *this;
    }
    ~com_ptr() { reset(); }

    // Takes over a reference the caller already owns.
    static com_ptr attach(I* raw) {
        com_ptr result;
        result.p = raw;
        return result;
    }

    void reset() {
        if (I* old = std::exchange(p, nullptr)) old->Release();
    }
    I* detach() { return std::exchange(p, nullptr); }

    I** put() {
        reset();
        return &p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    I* get() const { return p; }
    I* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }

private:
    I* p = nullptr;
};

}  // namespace Orvane::com

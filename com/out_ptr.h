#pragma once
// Owner of a buffer that a callee allocates for its caller (StringFromCLSID,
// ISpDataKey::GetStringValue, ...): frees it with the matching function on
// every path. Portable: the free function is a plain function pointer.

#include <memory>

namespace Orvane::utils {

template <class T>
class out_ptr {
public:
    struct deleter_base {
        virtual ~deleter_base() = default;
        virtual void operator()(void* p) const = 0;
    };

    template <class F>
    struct deleter_impl final : deleter_base {
        explicit deleter_impl(F f) : free(f) {}
        void operator()(void* p) const override { free(p); }
        F free;
    };

    template <class F>
    explicit out_ptr(F free) : deleter(std::make_unique<deleter_impl<F>>(free)) {}
    ~out_ptr() { reset(); }
    out_ptr(const out_ptr&) = delete;
    out_ptr& operator=(const out_ptr&) = delete;

    void reset() {
        if (ptr) (*deleter)(ptr);
        ptr = nullptr;
    }

    // For a function that stores a newly allocated pointer: what was held is freed first.
    T** put() {
        reset();
        return &ptr;
    }

    T* get() const { return ptr; }

private:
    T* ptr = nullptr;
    std::unique_ptr<deleter_base> deleter;
};

}  // namespace Orvane::utils

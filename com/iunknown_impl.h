#pragma once
// Reference counting and interface lookup for every COM object of a module.
// T lists its interfaces as `using interfaces = interface_list<I1, I2...>;`
// (I1 is what IID_IUnknown yields) and implements their own methods; IUnknownImpl<T>
// is the most derived class and supplies IUnknown for all of them.

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <utility>

#include "com/com_ptr.h"
#include "com/object_count.h"

namespace Orvane::com {

template <class... I>
struct interface_list {};

template <class T, class List = typename T::interfaces>
class IUnknownImpl;

template <class T, class First, class... Rest>
class IUnknownImpl<T, interface_list<First, Rest...>> final : public T {
public:
    template <class... Args>
    explicit IUnknownImpl(Args&&... args) : T(std::forward<Args>(args)...) {
        add_object();
    }
    ~IUnknownImpl() { remove_object(); }

    // A new object holding its creation reference.
    template <class... Args>
    static com_ptr<IUnknownImpl> create(Args&&... args) {
        return com_ptr<IUnknownImpl>::attach(new IUnknownImpl(std::forward<Args>(args)...));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown))
            *out = static_cast<First*>(this);
        else
            lookup<First, Rest...>(iid, out);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refcount); }

    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = --refcount;
        if (left == 0) delete this;
        return ULONG(left);
    }

private:
    template <class I, class... More>
    void lookup(REFIID iid, void** out) {
        if (IsEqualIID(iid, __uuidof(I))) {
            *out = static_cast<I*>(this);
            return;
        }
        if constexpr (sizeof...(More) > 0) lookup<More...>(iid, out);
    }

    std::atomic<LONG> refcount{1};
};

}  // namespace Orvane::com

#pragma once
// The class factory of a creatable class T (T() builds a new object).

#include <windows.h>
#include <unknwn.h>

#include "com/com_boundary.h"
#include "com/iunknown_impl.h"
#include "com/object_count.h"

namespace Orvane::com {

template <class T>
class IClassFactoryImpl : public IClassFactory {
public:
    using interfaces = interface_list<IClassFactory>;
    virtual ~IClassFactoryImpl() = default;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!out) return E_POINTER;
        *out = nullptr;
        return com_boundary([&] {
            // A failed query drops the only reference and so the object.
            return IUnknownImpl<T>::create()->QueryInterface(iid, out);
        });
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            add_object();
        else
            remove_object();
        return S_OK;
    }
};

}  // namespace Orvane::com

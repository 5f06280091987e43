#pragma once
// The table of creatable classes behind DllGetClassObject. A creatable
// class T names its CLSID as `static constexpr CLSID class_id`.

#include <windows.h>

#include <memory>
#include <vector>

#include "com/class_factory.h"
#include "com/com_boundary.h"
#include "com/iunknown_impl.h"

namespace Orvane::com {

class class_object_factory {
public:
    class creator {
    public:
        virtual ~creator() = default;
        virtual bool matches(REFCLSID clsid) const = 0;
        virtual HRESULT create_factory(REFIID iid, void** out) const = 0;
    };

    template <class T>
    class concrete_creator final : public creator {
    public:
        bool matches(REFCLSID clsid) const override { return IsEqualCLSID(clsid, T::class_id); }
        HRESULT create_factory(REFIID iid, void** out) const override {
            return IUnknownImpl<IClassFactoryImpl<T>>::create()->QueryInterface(iid, out);
        }
    };

    template <class T>
    void add() {
        creators.push_back(std::make_shared<concrete_creator<T>>());
    }

    HRESULT get_class_object(REFCLSID clsid, REFIID iid, void** out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        for (const auto& entry : creators)
            if (entry->matches(clsid)) return com_boundary([&] { return entry->create_factory(iid, out); });
        return CLASS_E_CLASSNOTAVAILABLE;
    }

private:
    std::vector<std::shared_ptr<creator>> creators;
};

}  // namespace Orvane::com

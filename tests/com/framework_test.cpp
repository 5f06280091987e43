// The framework with small classes of the test's own: what every COM class
// of the library relies on.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "com/class_object_factory.h"
#include "com/com_boundary.h"
#include "com/object_count.h"
#include "test_support.h"

using namespace Orvane::com;
using test::com_ptr;

namespace {

// Two interfaces on one object, like the engine's.
class two_faced : public ISpObjectWithToken, public IPersist {
public:
    using interfaces = interface_list<ISpObjectWithToken, IPersist>;
    static constexpr CLSID class_id = {0x1d2b7e01, 0x51c3, 0x4a0b, {0x9d, 0x11, 0x2f, 0x6a, 0x01, 0x7c, 0x44, 0x10}};
    virtual ~two_faced() = default;
    HRESULT STDMETHODCALLTYPE SetObjectToken(ISpObjectToken*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetObjectToken(ISpObjectToken** token) override {
        *token = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
        *clsid = class_id;
        return S_OK;
    }
};

// A class whose construction fails the way a constructor can.
template <class Failure>
class failing : public IPersist {
public:
    using interfaces = interface_list<IPersist>;
    failing() { throw Failure(); }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
};
struct length_failure : std::length_error {
    length_failure() : std::length_error("too long") {}
};
struct plain_failure : std::runtime_error {
    plain_failure() : std::runtime_error("failure") {}
};

const CLSID unknown_clsid = {0x0badc0de, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};

}  // namespace

TEST(IUnknownImpl, FirstInterfaceIsTheIdentityAndBothFacesShareOneCount) {
    const int32_t before = object_count();
    auto object = IUnknownImpl<two_faced>::create();
    EXPECT_EQ(object_count(), before + 1);

    com_ptr<IPersist> second;
    ASSERT_EQ(object->QueryInterface(IID_IPersist, second.put_void()), S_OK);
    com_ptr<IUnknown> identity_from_second;
    ASSERT_EQ(second->QueryInterface(IID_IUnknown, identity_from_second.put_void()), S_OK);
    EXPECT_EQ(identity_from_second.get(), static_cast<IUnknown*>(static_cast<ISpObjectWithToken*>(object.get())));
    EXPECT_NE(static_cast<void*>(second.get()), static_cast<void*>(identity_from_second.get()));

    com_ptr<ISpObjectWithToken> first;
    ASSERT_EQ(second->QueryInterface(IID_ISpObjectWithToken, first.put_void()), S_OK);
    EXPECT_EQ(first.get(), static_cast<ISpObjectWithToken*>(object.get()));

    // Counts go through either face: creation + 3 queries, then one more.
    EXPECT_EQ(second->AddRef(), 5u);
    EXPECT_EQ(first->Release(), 4u);

    second.reset();
    first.reset();
    identity_from_second.reset();
    EXPECT_EQ(object_count(), before + 1);
    object.reset();
    EXPECT_EQ(object_count(), before);
}

TEST(IUnknownImpl, UnknownInterfaceNullsTheOutPointerAndNullOutIsRefused) {
    auto object = IUnknownImpl<two_faced>::create();
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(object->AddRef(), 2u) << "failed queries must not add references";
    object->Release();
}

TEST(ComBoundary, ExceptionsBecomeHResults) {
    EXPECT_EQ(com_boundary([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(com_boundary([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(com_boundary([]() -> HRESULT { throw std::runtime_error("x"); }), E_UNEXPECTED);
    EXPECT_EQ(com_boundary([]() -> HRESULT { throw std::invalid_argument("Unsupported interface"); }), E_UNEXPECTED);
    EXPECT_EQ(com_boundary([]() -> HRESULT { throw_com_error(E_ACCESSDENIED); }), E_UNEXPECTED);
    EXPECT_EQ(com_boundary([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
}

TEST(ClassFactory, CreateInstanceRulesAndCounts) {
    const int32_t before = object_count();
    auto factory = IUnknownImpl<IClassFactoryImpl<two_faced>>::create();
    EXPECT_EQ(object_count(), before + 1);

    void* out = reinterpret_cast<void*>(0x1234);
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory.get());
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object_count(), before + 1) << "the object made for a failed query is gone";

    com_ptr<IPersist> second;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersist, second.put_void()), S_OK);
    EXPECT_EQ(object_count(), before + 2);
    EXPECT_EQ(second->AddRef(), 2u) << "the caller holds the only reference";
    second->Release();
    second.reset();
    EXPECT_EQ(object_count(), before + 1);
}

TEST(ClassFactory, LockServerCountsLocksWithoutObjects) {
    const int32_t before = object_count();
    auto factory = IUnknownImpl<IClassFactoryImpl<two_faced>>::create();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(object_count(), before + 1);
    remove_object();
}

TEST(ClassFactory, ConstructorFailuresBecomeHResultsAndLeaveTheCount) {
    const int32_t before = object_count();
    void* out = reinterpret_cast<void*>(0x1234);
    auto oom = IUnknownImpl<IClassFactoryImpl<failing<std::bad_alloc>>>::create();
    EXPECT_EQ(oom->CreateInstance(nullptr, IID_IPersist, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    auto too_long = IUnknownImpl<IClassFactoryImpl<failing<length_failure>>>::create();
    EXPECT_EQ(too_long->CreateInstance(nullptr, IID_IPersist, &out), E_UNEXPECTED);
    auto other = IUnknownImpl<IClassFactoryImpl<failing<plain_failure>>>::create();
    EXPECT_EQ(other->CreateInstance(nullptr, IID_IPersist, &out), E_UNEXPECTED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object_count(), before + 3) << "only the three factories";
}

TEST(ClassObjectFactory, FindsTheClassByClsidInRegistrationOrder) {
    class_object_factory table;
    table.add<two_faced>();
    const int32_t before = object_count();

    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(table.get_class_object(unknown_clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(table.get_class_object(two_faced::class_id, IID_IClassFactory, nullptr), E_POINTER);
    out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(table.get_class_object(two_faced::class_id, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object_count(), before);

    for (const IID* iid : {&IID_IClassFactory, &IID_IUnknown}) {
        com_ptr<IClassFactory> factory;
        ASSERT_EQ(table.get_class_object(two_faced::class_id, *iid, factory.put_void()), S_OK);
        EXPECT_EQ(object_count(), before + 1);
        com_ptr<IPersist> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersist, object.put_void()), S_OK);
        CLSID made{};
        object->GetClassID(&made);
        EXPECT_TRUE(IsEqualCLSID(made, two_faced::class_id));
    }
    EXPECT_EQ(object_count(), before);
}

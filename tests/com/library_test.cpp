// The built library through its exports, as COM loads it: module count via
// DllCanUnloadNow across factories, enumerators, clones, tokens, attribute
// keys and locks.
#include <gtest/gtest.h>

#include "sapi/class_ids.h"
#include "test_support.h"

using test::com_ptr;

namespace {

using get_class_object_fn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using can_unload_fn = HRESULT(STDAPICALLTYPE*)();

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW(L"OrvaneSAPI.dll");
        ASSERT_NE(module, nullptr) << "OrvaneSAPI.dll not found beside the test";
        get_class_object = test::export_of<get_class_object_fn>(module, "DllGetClassObject");
        can_unload = test::export_of<can_unload_fn>(module, "DllCanUnloadNow");
        ASSERT_TRUE(get_class_object && can_unload);
        ASSERT_EQ(can_unload(), S_OK);
    }
    void TearDown() override {
        if (can_unload) {
            EXPECT_EQ(can_unload(), S_OK) << "objects of the library left alive";
        }
        if (module) FreeLibrary(module);
    }

    com_ptr<IClassFactory> enumerator_factory() {
        com_ptr<IClassFactory> factory;
        EXPECT_EQ(get_class_object(Orvane::sapi::clsid_token_enumerator, IID_IClassFactory, factory.put_void()), S_OK);
        return factory;
    }

    HMODULE module = nullptr;
    get_class_object_fn get_class_object = nullptr;
    can_unload_fn can_unload = nullptr;
};

}  // namespace

TEST_F(Library, ExportsExactlyTheFourEntryPointsUndecorated) {
    for (const char* name : {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    EXPECT_EQ(exports->NumberOfNames, 4u);
}

TEST_F(Library, FactoriesCountAsObjects) {
    for (const IID* iid : {&IID_IClassFactory, &IID_IUnknown}) {
        com_ptr<IUnknown> factory;
        ASSERT_EQ(get_class_object(Orvane::sapi::clsid_token_enumerator, *iid, factory.put_void()), S_OK);
        EXPECT_EQ(can_unload(), S_FALSE);
        com_ptr<IClassFactory> same;
        EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, same.put_void()), S_OK);
        factory.reset();
        same.reset();
        EXPECT_EQ(can_unload(), S_OK);
    }
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(get_class_object(Orvane::sapi::clsid_token_enumerator, IID_IEnumSpObjectTokens, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(can_unload(), S_OK);
    const CLSID unknown = {0x0badc0de, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(get_class_object(unknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(get_class_object(Orvane::sapi::clsid_token_enumerator, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(Library, LockServerHoldsTheModuleWithoutObjects) {
    auto factory = enumerator_factory();
    factory->LockServer(TRUE);
    factory->LockServer(TRUE);
    factory->LockServer(FALSE);
    factory.reset();
    EXPECT_EQ(can_unload(), S_FALSE);
    enumerator_factory()->LockServer(FALSE);
}

TEST_F(Library, EnumeratorsClonesTokensAndAttributeKeysKeepTheModule) {
    com_ptr<IEnumSpObjectTokens> e;
    {
        auto factory = enumerator_factory();
        void* out = reinterpret_cast<void*>(0x1);
        IUnknown* outer = factory.get();
        EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IEnumSpObjectTokens, e.put_void()), S_OK);
    }
    com_ptr<IUnknown> identity;
    ASSERT_EQ(e->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    EXPECT_EQ(static_cast<void*>(identity.get()), static_cast<void*>(e.get()));
    identity.reset();

    com_ptr<IEnumSpObjectTokens> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    com_ptr<ISpObjectToken> token;
    ASSERT_EQ(clone->Item(6, token.put()), S_OK);
    EXPECT_EQ(test::token_id(token.get()), test::expected_token_id(L"Pia"));
    auto attributes = test::attributes_of(token.get());
    ASSERT_TRUE(attributes);
    EXPECT_EQ(test::string_value(attributes.get(), L"Gender"), L"Female");

    e.reset();
    clone.reset();
    EXPECT_EQ(can_unload(), S_FALSE) << "the token's data key is the library's";
    token.reset();
    EXPECT_EQ(can_unload(), S_FALSE) << "the attribute key is the library's";
    attributes.reset();
}

TEST_F(Library, EngineAnswersBothInterfacesOnOneIdentity) {
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(get_class_object(Orvane::sapi::clsid_tts_engine, IID_IClassFactory, factory.put_void()), S_OK);
    com_ptr<ISpObjectWithToken> with_token;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ISpObjectWithToken, with_token.put_void()), S_OK);
    com_ptr<ISpTTSEngine> engine;
    ASSERT_EQ(with_token->QueryInterface(IID_ISpTTSEngine, engine.put_void()), S_OK);
    EXPECT_NE(static_cast<void*>(with_token.get()), static_cast<void*>(engine.get())) << "the second interface";
    com_ptr<IUnknown> from_second, from_first;
    ASSERT_EQ(with_token->QueryInterface(IID_IUnknown, from_second.put_void()), S_OK);
    ASSERT_EQ(engine->QueryInterface(IID_IUnknown, from_first.put_void()), S_OK);
    EXPECT_EQ(from_second.get(), from_first.get());
    EXPECT_EQ(static_cast<void*>(from_first.get()), static_cast<void*>(engine.get())) << "identity is the first";
}

// The token enumerator with SAPI's object-token class as the prefix has it
// registered (the stand-in), and with tokens that lack ISpObjectTokenInit.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "com/class_factory.h"
#include "com/object_count.h"
#include "engine/voice_table.h"
#include "sapi/token_enumerator.h"
#include "test_support.h"

using namespace Orvane;
using test::com_ptr;

namespace {

const wchar_t* const names[] = {L"Tobin", L"Lyra",    L"Milo",       L"Nessa", L"Corvin", L"Martian", L"Pia",
                                L"Brandt", L"Phantom", L"Squeaker", L"Nightshade", L"Nana", L"Greta", L"Quill"};

com_ptr<IEnumSpObjectTokens> new_enumerator() {
    auto object = com::IUnknownImpl<sapi::IEnumSpObjectTokensImpl>::create();
    com_ptr<IEnumSpObjectTokens> result;
    object->QueryInterface(IID_IEnumSpObjectTokens, result.put_void());
    return result;
}

// Takes the tokens Next stored, so each is released once.
std::vector<com_ptr<ISpObjectToken>> adopt(ISpObjectToken** tokens, ULONG n) {
    std::vector<com_ptr<ISpObjectToken>> owned;
    for (ULONG i = 0; i < n; ++i) owned.push_back(com_ptr<ISpObjectToken>::attach(tokens[i]));
    return owned;
}

// The name of the voice the next Next(1) yields, or "(end)".
std::wstring peek(IEnumSpObjectTokens* e) {
    ISpObjectToken* token = nullptr;
    ULONG n = 0;
    if (e->Next(1, &token, &n) != S_OK) return L"(end)";
    auto owned = adopt(&token, n);
    return test::string_value(owned[0].get(), nullptr);
}

class Enumerator : public ::testing::Test {
protected:
    void SetUp() override {
        com_ptr<IUnknown> probe;
        const HRESULT hr = CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL, IID_IUnknown, probe.put_void());
        com_ptr<ISpObjectTokenInit> init;
        if (SUCCEEDED(hr)) probe->QueryInterface(IID_ISpObjectTokenInit, init.put_void());
        ASSERT_TRUE(init) << "no object token with ISpObjectTokenInit is registered: run tools/prefix-register";
        before = com::object_count();
    }
    void TearDown() override { EXPECT_EQ(com::object_count(), before) << "objects left alive"; }
    int32_t before = 0;
};

}  // namespace

TEST_F(Enumerator, NextFourteenYieldsTheCatalogueInOrderThroughSapisTokens) {
    auto e = new_enumerator();
    ULONG count = 0;
    EXPECT_EQ(e->GetCount(&count), S_OK);
    EXPECT_EQ(count, 14u);
    EXPECT_EQ(e->GetCount(nullptr), E_POINTER);

    ISpObjectToken* raw[14] = {};
    ULONG n = 99;
    ASSERT_EQ(e->Next(14, raw, &n), S_OK);
    ASSERT_EQ(n, 14u);
    auto tokens = adopt(raw, n);
    EXPECT_EQ(com::object_count(), before + 1 + 14) << "one enumerator, one voice token per SAPI token";
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        ISpObjectToken* token = tokens[i].get();
        EXPECT_EQ(test::token_id(token), test::expected_token_id(names[i]));
        EXPECT_EQ(test::string_value(token, nullptr), names[i]);
        EXPECT_EQ(test::string_value(token, L"CLSID"), L"{FD39C483-34AE-411B-B405-DB8B21051ABC}");
        auto attributes = test::attributes_of(token);
        ASSERT_TRUE(attributes);
        EXPECT_EQ(test::string_value(attributes.get(), L"Name"), names[i]);
        EXPECT_EQ(test::string_value(attributes.get(), L"Gender"),
                  engine::voice_is_female(i) ? L"Female" : L"Male");
    }
    EXPECT_EQ(peek(e.get()), L"(end)");
}

TEST_F(Enumerator, NextCountsAndArgumentRules) {
    auto e = new_enumerator();
    ISpObjectToken* raw[20] = {};
    ULONG n = 99;
    EXPECT_EQ(e->Next(0, raw, &n), E_INVALIDARG);
    EXPECT_EQ(e->Next(0, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(e->Next(1, nullptr, &n), E_POINTER);
    EXPECT_EQ(e->Next(2, raw, nullptr), E_POINTER);
    EXPECT_EQ(peek(e.get()), L"Tobin") << "refused calls leave the position";

    ASSERT_EQ(e->Next(1, raw, nullptr), S_OK);
    adopt(raw, 1);
    ASSERT_EQ(e->Next(20, raw, &n), S_FALSE);
    EXPECT_EQ(n, 12u);
    auto rest = adopt(raw, n);
    EXPECT_EQ(test::string_value(rest.back().get(), nullptr), L"Quill");
    EXPECT_EQ(raw[12], nullptr) << "entries past the fetched ones are untouched";

    n = 99;
    EXPECT_EQ(e->Next(1, raw, &n), S_FALSE);
    EXPECT_EQ(n, 0u);
    e->Reset();
    ASSERT_EQ(e->Next(20, raw, &n), S_FALSE);
    EXPECT_EQ(n, 14u);
    adopt(raw, n);
}

TEST_F(Enumerator, HugeRequestsGiveWhatIsLeft) {
    auto e = new_enumerator();
    for (ULONG celt : {0x40000000ul, 0xFFFFFFFFul}) {
        SCOPED_TRACE(celt);
        e->Reset();
        e->Skip(12);
        ISpObjectToken* raw[2] = {};
        ULONG n = 0;
        EXPECT_EQ(e->Next(celt, raw, &n), S_FALSE);
        ASSERT_EQ(n, 2u);
        auto owned = adopt(raw, n);
        EXPECT_EQ(test::string_value(owned[1].get(), nullptr), L"Quill");
    }
}

TEST_F(Enumerator, SkipResetItemAndPosition) {
    auto e = new_enumerator();
    EXPECT_EQ(e->Skip(0), S_OK);
    EXPECT_EQ(e->Skip(3), S_OK);
    EXPECT_EQ(peek(e.get()), L"Nessa");
    EXPECT_EQ(e->Skip(20), S_FALSE);
    EXPECT_EQ(peek(e.get()), L"(end)");
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(5), S_OK);

    com_ptr<ISpObjectToken> quill, first, again;
    ASSERT_EQ(e->Item(13, quill.put()), S_OK);
    EXPECT_EQ(test::token_id(quill.get()), test::expected_token_id(L"Quill"));
    ISpObjectToken* out = reinterpret_cast<ISpObjectToken*>(0x1);
    EXPECT_EQ(e->Item(14, &out), SPERR_NO_MORE_ITEMS);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(e->Item(0, nullptr), E_POINTER);

    ASSERT_EQ(e->Item(0, first.put()), S_OK);
    ASSERT_EQ(e->Item(0, again.put()), S_OK);
    EXPECT_NE(first.get(), again.get()) << "no token is cached";
    EXPECT_EQ(test::token_id(first.get()), test::token_id(again.get()));
    EXPECT_EQ(peek(e.get()), L"Martian") << "Item leaves the position";
}

TEST_F(Enumerator, CloneCopiesThePositionAndMovesIndependently) {
    auto e = new_enumerator();
    ISpObjectToken* raw[5] = {};
    ULONG n = 0;
    ASSERT_EQ(e->Next(5, raw, &n), S_OK);
    adopt(raw, n);
    com_ptr<IEnumSpObjectTokens> clone;
    EXPECT_EQ(e->Clone(nullptr), E_POINTER);
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    EXPECT_EQ(com::object_count(), before + 2);
    EXPECT_EQ(peek(clone.get()), L"Martian");
    EXPECT_EQ(peek(clone.get()), L"Pia");
    EXPECT_EQ(peek(e.get()), L"Martian") << "the source did not move";
    ULONG count = 0;
    clone->GetCount(&count);
    EXPECT_EQ(count, 14u);
    e.reset();
    EXPECT_EQ(peek(clone.get()), L"Brandt") << "a clone outlives its source";
}

namespace {

// What a SAPI token without ISpObjectTokenInit looks like to the enumerator.
class token_without_init : public IPersist {
public:
    using interfaces = com::interface_list<IPersist>;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
        *clsid = CLSID_SpObjectToken;
        return S_OK;
    }
};

// Puts a class object in front of the registry for this process.
class class_override {
public:
    explicit class_override(IUnknown* factory) {
        hr = CoRegisterClassObject(CLSID_SpObjectToken, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }
    ~class_override() {
        if (SUCCEEDED(hr)) CoRevokeClassObject(cookie);
    }
    HRESULT hr;
    DWORD cookie = 0;
};

using get_class_object_fn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// Wine's own SAPI object token class, loaded from its sapi.dll, which SAPI
// keeps in system32\Speech\Common.
com_ptr<IClassFactory> wine_token_factory(HMODULE& sapi, HRESULT& hr) {
    com_ptr<IClassFactory> factory;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    sapi = LoadLibraryW((std::wstring(system) + L"\\Speech\\Common\\sapi.dll").c_str());
    if (!sapi) sapi = LoadLibraryW(L"sapi.dll");
    hr = HRESULT_FROM_WIN32(GetLastError());
    if (!sapi) return factory;
    auto get = test::export_of<get_class_object_fn>(sapi, "DllGetClassObject");
    hr = get ? get(CLSID_SpObjectToken, IID_IClassFactory, factory.put_void()) : E_NOTIMPL;
    return factory;
}

}  // namespace

TEST_F(Enumerator, TokensWithoutInitFromDataKeyFailWithoutMovingOrHandingOut) {
    HMODULE sapi = nullptr;
    HRESULT wine_hr = S_OK;
    struct source {
        const char* what;
        com_ptr<IClassFactory> factory;
    } sources[] = {
        {"a token class without ISpObjectTokenInit", {}},
        {"Wine's own object token", wine_token_factory(sapi, wine_hr)},
    };
    {
        auto ours = com::IUnknownImpl<com::IClassFactoryImpl<token_without_init>>::create();
        ours->QueryInterface(IID_IClassFactory, sources[0].factory.put_void());
    }
    auto e = new_enumerator();
    e->Skip(2);
    for (auto& s : sources) {
        SCOPED_TRACE(s.what);
        if (!s.factory) {
            ADD_FAILURE() << "class factory not available: 0x" << std::hex << wine_hr;
            continue;
        }
        {
            com_ptr<IUnknown> probe;
            com_ptr<ISpObjectTokenInit> init;
            s.factory->CreateInstance(nullptr, IID_IUnknown, probe.put_void());
            if (probe && SUCCEEDED(probe->QueryInterface(IID_ISpObjectTokenInit, init.put_void()))) {
                std::printf("skipped: %s answers ISpObjectTokenInit here\n", s.what);
                continue;
            }
        }
        class_override override_token(s.factory.get());
        ASSERT_EQ(override_token.hr, S_OK);
        ISpObjectToken* raw[3] = {reinterpret_cast<ISpObjectToken*>(0x1), nullptr, nullptr};
        ULONG n = 99;
        EXPECT_EQ(e->Next(3, raw, &n), E_UNEXPECTED);
        EXPECT_EQ(n, 0u);
        EXPECT_EQ(e->Next(1, raw, nullptr), E_UNEXPECTED);
        ISpObjectToken* item = reinterpret_cast<ISpObjectToken*>(0x1);
        EXPECT_EQ(e->Item(0, &item), E_UNEXPECTED);
        EXPECT_EQ(item, nullptr);
    }
    for (auto& s : sources) s.factory.reset();
    EXPECT_EQ(peek(e.get()), L"Milo") << "failed calls left the position";
    e.reset();
    if (sapi) FreeLibrary(sapi);
}

// The voice token and its attribute key, called directly as SAPI's token
// calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "com/object_count.h"
#include "engine/voice_table.h"
#include "sapi/voice_token.h"
#include "test_support.h"

using namespace Orvane;
using test::com_ptr;

namespace {

com_ptr<ISpDataKey> voice_key(int index) {
    auto token = com::IUnknownImpl<sapi::voice_token>::create(index);
    com_ptr<ISpDataKey> key;
    token->QueryInterface(IID_ISpDataKey, key.put_void());
    return key;
}

std::wstring wide(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

TEST(VoiceToken, EveryVoiceCarriesItsNameGenderAndTheEngineClsid) {
    const int32_t before = com::object_count();
    for (int i = 0; i < engine::voice_table_size; ++i) {
        SCOPED_TRACE(i);
        auto key = voice_key(i);
        auto attributes = test::attributes_of(key.get());
        ASSERT_TRUE(attributes);
        const std::wstring name = wide(engine::voice_table()[i].name);
        EXPECT_EQ(test::string_value(key.get(), nullptr), name);
        EXPECT_EQ(test::string_value(key.get(), L""), name);
        EXPECT_EQ(test::string_value(attributes.get(), L"Name"), name);
        const bool female = i == 1 || i == 3 || i == 6 || i == 11 || i == 12;
        EXPECT_EQ(test::string_value(attributes.get(), L"Gender"), female ? L"Female" : L"Male");
        EXPECT_EQ(test::string_value(attributes.get(), L"Age"), L"Adult");
        EXPECT_EQ(test::string_value(attributes.get(), L"Language"), L"409");
        EXPECT_EQ(test::string_value(attributes.get(), L"Vendor"), L"Orvane");
        EXPECT_EQ(test::string_value(key.get(), L"CLSID"), L"{FD39C483-34AE-411B-B405-DB8B21051ABC}");
    }
    EXPECT_EQ(com::object_count(), before) << "tokens and attribute keys all released";
}

// One row per call: the voice token (Lyra) or its attribute key, what is
// called, and the result and string expected.
TEST(VoiceToken, DataKeyOperations) {
    auto token = voice_key(1);
    auto attributes = test::attributes_of(token.get());
    ASSERT_TRUE(attributes);
    const wchar_t* none = L"(null)";

    using call = std::function<HRESULT(ISpDataKey*, LPWSTR*)>;
    struct row {
        const char* what;
        bool on_token;
        call op;
        HRESULT hr;
        const wchar_t* text;
    } rows[] = {
        {"default value", true, [](ISpDataKey* k, LPWSTR* o) { return k->GetStringValue(nullptr, o); }, S_OK, L"Lyra"},
        {"CLSID in any case", true, [](ISpDataKey* k, LPWSTR* o) { return k->GetStringValue(L"cLsId", o); }, S_OK,
         L"{FD39C483-34AE-411B-B405-DB8B21051ABC}"},
        {"Name lives under Attributes", true, [](ISpDataKey* k, LPWSTR* o) { return k->GetStringValue(L"Name", o); },
         SPERR_NOT_FOUND, none},
        {"lower-case gender", false, [](ISpDataKey* k, LPWSTR* o) { return k->GetStringValue(L"gender", o); }, S_OK,
         L"Female"},
        {"attribute key has no default", false,
         [](ISpDataKey* k, LPWSTR* o) { return k->GetStringValue(nullptr, o); }, S_OK, L""},
        {"absent value", false, [](ISpDataKey* k, LPWSTR* o) { return k->GetStringValue(L"Accent", o); },
         SPERR_NOT_FOUND, none},
        {"token's only value", true, [](ISpDataKey* k, LPWSTR* o) { return k->EnumValues(0, o); }, S_OK, L"CLSID"},
        {"token has one value", true, [](ISpDataKey* k, LPWSTR* o) { return k->EnumValues(1, o); },
         SPERR_NO_MORE_ITEMS, none},
        {"attributes first", false, [](ISpDataKey* k, LPWSTR* o) { return k->EnumValues(0, o); }, S_OK, L"Age"},
        {"attributes in order", false, [](ISpDataKey* k, LPWSTR* o) { return k->EnumValues(2, o); }, S_OK,
         L"Language"},
        {"attributes last", false, [](ISpDataKey* k, LPWSTR* o) { return k->EnumValues(4, o); }, S_OK, L"Vendor"},
        {"token's subkey", true, [](ISpDataKey* k, LPWSTR* o) { return k->EnumKeys(0, o); }, S_OK, L"Attributes"},
        {"token has one subkey", true, [](ISpDataKey* k, LPWSTR* o) { return k->EnumKeys(1, o); },
         SPERR_NO_MORE_ITEMS, none},
        {"attribute key has no subkeys", false, [](ISpDataKey* k, LPWSTR* o) { return k->EnumKeys(0, o); },
         SPERR_NO_MORE_ITEMS, none},
    };
    for (const auto& r : rows) {
        LPWSTR out = reinterpret_cast<LPWSTR>(0x1);
        const HRESULT hr = r.op(r.on_token ? token.get() : attributes.get(), &out);
        std::wstring text = none;
        if (SUCCEEDED(hr)) {
            text = out;
            CoTaskMemFree(out);
        } else {
            EXPECT_EQ(out, nullptr) << r.what << ": out pointer left set on failure";
        }
        EXPECT_EQ(hr, r.hr) << r.what;
        EXPECT_EQ(text, std::wstring(r.text)) << r.what;
    }
}

TEST(VoiceToken, ArgumentChecksAndOperationsThatDoNotApply) {
    auto token = voice_key(0);
    auto attributes = test::attributes_of(token.get());
    ASSERT_TRUE(attributes);
    DWORD number = 7;
    ULONG size = 0;
    com_ptr<ISpDataKey> sub;
    for (ISpDataKey* key : {token.get(), attributes.get()}) {
        EXPECT_EQ(key->GetStringValue(nullptr, nullptr), E_POINTER);
        EXPECT_EQ(key->EnumValues(0, nullptr), E_POINTER);
        EXPECT_EQ(key->EnumValues(5, nullptr), SPERR_NO_MORE_ITEMS) << "range is checked before the pointer";
        EXPECT_EQ(key->GetDWORD(L"Age", &number), E_NOTIMPL);
        EXPECT_EQ(key->GetData(L"Age", &size, nullptr), SPERR_NOT_FOUND);
        EXPECT_EQ(key->SetData(L"Age", 0, nullptr), E_NOTIMPL);
        EXPECT_EQ(key->SetStringValue(L"Age", L"Child"), E_NOTIMPL);
        EXPECT_EQ(key->SetDWORD(L"Age", 1), E_NOTIMPL);
        EXPECT_EQ(key->CreateKey(L"Attributes", sub.put()), E_NOTIMPL);
        EXPECT_EQ(key->DeleteKey(L"Attributes"), E_NOTIMPL);
        EXPECT_EQ(key->DeleteValue(L"CLSID"), E_NOTIMPL);
    }
    EXPECT_EQ(token->EnumKeys(0, nullptr), E_POINTER);
    EXPECT_EQ(test::string_value(token.get(), L"CLSID"), L"{FD39C483-34AE-411B-B405-DB8B21051ABC}")
        << "writes leave the key unchanged";
    EXPECT_EQ(test::string_value(attributes.get(), L"Age"), L"Adult");
}

TEST(VoiceToken, OpenKeyGivesIndependentSnapshotsOfAttributesOnly) {
    const int32_t before = com::object_count();
    {
        auto token = voice_key(12);
        com_ptr<ISpDataKey> upper, lower, other;
        ASSERT_EQ(token->OpenKey(L"ATTRIBUTES", upper.put()), S_OK);
        ASSERT_EQ(token->OpenKey(L"attributes", lower.put()), S_OK);
        EXPECT_NE(upper.get(), lower.get());
        EXPECT_EQ(test::string_value(upper.get(), L"Name"), L"Greta");
        EXPECT_EQ(test::string_value(lower.get(), L"Name"), L"Greta");
        EXPECT_EQ(com::object_count(), before + 3);

        ISpDataKey* out = reinterpret_cast<ISpDataKey*>(0x1);
        EXPECT_EQ(token->OpenKey(nullptr, &out), E_INVALIDARG);
        EXPECT_EQ(token->OpenKey(L"Attributes", nullptr), E_POINTER);
        out = reinterpret_cast<ISpDataKey*>(0x1);
        EXPECT_EQ(token->OpenKey(L"Attributes\\Name", &out), SPERR_NOT_FOUND) << "paths are not parsed";
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(token->OpenKey(L"Attribute", other.put()), SPERR_NOT_FOUND);
        EXPECT_EQ(upper->OpenKey(L"Attributes", other.put()), SPERR_NOT_FOUND);
        EXPECT_EQ(upper->OpenKey(nullptr, nullptr), SPERR_NOT_FOUND);

        com_ptr<ISpObjectToken> not_a_token;
        EXPECT_EQ(token->QueryInterface(IID_ISpObjectToken, not_a_token.put_void()), E_NOINTERFACE);
        EXPECT_EQ(upper->QueryInterface(IID_ISpObjectToken, not_a_token.put_void()), E_NOINTERFACE);
        token.reset();
        EXPECT_EQ(test::string_value(upper.get(), L"Gender"), L"Female") << "outlives its token";
    }
    EXPECT_EQ(com::object_count(), before);
}

TEST(VoiceToken, IndexOutsideTheCatalogueHasAnEmptyName) {
    for (int index : {-1, 14}) {
        auto key = voice_key(index);
        EXPECT_EQ(test::string_value(key.get(), nullptr), L"");
        EXPECT_EQ(test::string_value(test::attributes_of(key.get()).get(), L"Gender"), L"Male");
    }
}

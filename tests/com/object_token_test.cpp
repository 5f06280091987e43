// The object-token stand-in, created through COM as the enumerator creates
// SAPI's token: other tests and the SAPI host rely on it behaving like SAPI's.
#include <gtest/gtest.h>

#include "com/class_factory.h"
#include "sapi/data_key.h"
#include "test_support.h"

using namespace Orvane;
using test::com_ptr;

namespace {

// Records the token SAPI's CreateInstance hands to a new object.
class token_user : public ISpObjectWithToken {
public:
    using interfaces = com::interface_list<ISpObjectWithToken>;
    static inline ISpObjectToken* last_token = nullptr;
    virtual ~token_user() = default;
    HRESULT STDMETHODCALLTYPE SetObjectToken(ISpObjectToken* token) override {
        last_token = token;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetObjectToken(ISpObjectToken** token) override {
        *token = nullptr;
        return E_NOTIMPL;
    }
};

const CLSID token_user_clsid = {0x5a0c1f22, 0x7d10, 0x4c4e, {0x8b, 0x2a, 0x11, 0x3e, 0x42, 0x90, 0x6f, 0x01}};

com_ptr<ISpDataKey> key_with(const wchar_t* clsid) {
    utils::ascii_imap values;
    values[L"CLSID"] = clsid;
    auto key = com::IUnknownImpl<sapi::ISpDataKeyImpl>::create(L"Test voice", values);
    com_ptr<ISpDataKey> result;
    key->QueryInterface(IID_ISpDataKey, result.put_void());
    return result;
}

com_ptr<ISpObjectTokenInit> new_token() {
    com_ptr<ISpObjectTokenInit> token;
    CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL, IID_ISpObjectTokenInit, token.put_void());
    return token;
}

}  // namespace

TEST(ObjectTokenStandIn, InitialisesOnceAndAnswersFromItsDataKey) {
    auto token = new_token();
    ASSERT_TRUE(token) << "run tools/prefix-register";
    LPWSTR id = reinterpret_cast<LPWSTR>(0x1);
    EXPECT_EQ(token->GetId(&id), SPERR_UNINITIALIZED);
    EXPECT_EQ(id, nullptr);
    LPWSTR text = nullptr;
    EXPECT_EQ(token->GetStringValue(nullptr, &text), SPERR_UNINITIALIZED);

    auto key = key_with(L"{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(token->InitFromDataKey(L"cat", nullptr, key.get()), E_INVALIDARG);
    ASSERT_EQ(token->InitFromDataKey(L"cat", L"cat\\Test", key.get()), S_OK);
    EXPECT_EQ(token->InitFromDataKey(L"cat", L"cat\\Other", key.get()), SPERR_ALREADY_INITIALIZED);
    EXPECT_EQ(test::token_id(token.get()), L"cat\\Test");
    EXPECT_EQ(test::string_value(token.get(), nullptr), L"Test voice");
    EXPECT_EQ(test::string_value(token.get(), L"clsid"), L"{00000000-0000-0000-0000-000000000000}");
}

TEST(ObjectTokenStandIn, CreateInstanceMakesTheClassNamedByClsidAndHandsItTheToken) {
    auto factory = com::IUnknownImpl<com::IClassFactoryImpl<token_user>>::create();
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(token_user_clsid, static_cast<IClassFactory*>(factory.get()),
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    auto token = new_token();
    ASSERT_TRUE(token);
    wchar_t clsid[64] = {};
    StringFromGUID2(token_user_clsid, clsid, 64);
    ASSERT_EQ(token->InitFromDataKey(L"cat", L"cat\\User", key_with(clsid).get()), S_OK);

    token_user::last_token = nullptr;
    com_ptr<ISpObjectWithToken> made;
    EXPECT_EQ(token->CreateInstance(nullptr, CLSCTX_INPROC_SERVER, IID_ISpObjectWithToken, made.put_void()), S_OK);
    EXPECT_TRUE(made);
    EXPECT_EQ(token_user::last_token, static_cast<ISpObjectToken*>(token.get()));
    CoRevokeClassObject(cookie);
}

TEST(ObjectTokenStandIn, MatchesAttributes) {
    auto token = new_token();
    ASSERT_TRUE(token);
    // A voice token's data key, as the enumerator hands it over, gives an Attributes subkey.
    struct voice_key : sapi::ISpDataKeyImpl {
        HRESULT STDMETHODCALLTYPE OpenKey(LPCWSTR name, ISpDataKey** key) override {
            if (!name || _wcsicmp(name, L"Attributes") != 0) return SPERR_NOT_FOUND;
            utils::ascii_imap values{{L"Name", L"Lyra"}, {L"Gender", L"Female"}, {L"Vendor", L"Orvane"}};
            auto sub = com::IUnknownImpl<sapi::ISpDataKeyImpl>::create(L"", values);
            return sub->QueryInterface(IID_ISpDataKey, reinterpret_cast<void**>(key));
        }
    };
    auto key = com::IUnknownImpl<voice_key>::create();
    ASSERT_EQ(token->InitFromDataKey(L"cat", L"cat\\Lyra", static_cast<ISpDataKey*>(key.get())), S_OK);
    struct {
        const wchar_t* query;
        BOOL matches;
    } cases[] = {
        {L"Name=Lyra", TRUE},   {L"Gender=female;name=LYRA", TRUE}, {L"Gender=Male", FALSE},
        {L"Accent", FALSE},     {L"Vendor", TRUE},                  {L"", TRUE},
        {nullptr, TRUE},        {L"Name=Lyra;Gender=Male", FALSE},  {L";;Name=Lyra;", TRUE},
    };
    for (const auto& c : cases) {
        BOOL matches = 2;
        EXPECT_EQ(token->MatchesAttributes(c.query, &matches), S_OK);
        EXPECT_EQ(matches, c.matches) << (c.query ? std::string(c.query, c.query + wcslen(c.query)) : "(null)");
    }
    EXPECT_EQ(token->MatchesAttributes(L"Name=Lyra", nullptr), E_POINTER);
}

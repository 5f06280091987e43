#include "standins/sapi_host/voice_list.h"

#include <cstdio>

#include "com/out_ptr.h"
#include "utils/registry_key.h"

namespace Orvane::sapi_host {
namespace {

constexpr wchar_t token_enums_key[] = L"Software\\Microsoft\\Speech\\Voices\\TokenEnums";

std::string describe(const std::string& step, HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return step + " failed (HRESULT " + code + ")";
}

void check(HRESULT hr, const char* step) {
    if (FAILED(hr)) throw com_failure(step, hr);
}

std::wstring string_value(ISpDataKey* key, const wchar_t* name) {
    utils::out_ptr<wchar_t> value(CoTaskMemFree);
    if (FAILED(key->GetStringValue(name, value.put())) || !value.get()) return {};
    return value.get();
}

std::wstring attribute(ISpObjectToken* token, const wchar_t* name) {
    com::com_ptr<ISpDataKey> attributes;
    if (FAILED(token->OpenKey(L"Attributes", attributes.put()))) return {};
    return string_value(attributes.get(), name);
}

// The CLSID strings of the registered enumerators, in key order.
std::vector<std::wstring> enumerator_classes() {
    std::vector<std::wstring> classes;
    registry::registry_key root;
    try {
        root = registry::registry_key::open(HKEY_LOCAL_MACHINE, token_enums_key, KEY_READ);
    } catch (const registry::error&) {
        return classes;  // no enumerator registered at all
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(root.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t clsid[64] = {};
        DWORD bytes = sizeof(clsid) - sizeof(wchar_t);
        if (RegGetValueW(root.get(), name, L"CLSID", RRF_RT_REG_SZ, nullptr, clsid, &bytes) == ERROR_SUCCESS)
            classes.emplace_back(clsid);
    }
    return classes;
}

}  // namespace

com_failure::com_failure(const std::string& step, HRESULT hr) : std::runtime_error(describe(step, hr)), hr(hr) {}

std::vector<voice> registered_voices() {
    std::vector<voice> voices;
    for (const std::wstring& clsid_text : enumerator_classes()) {
        CLSID clsid;
        check(CLSIDFromString(clsid_text.c_str(), &clsid), "reading the enumerator's CLSID");
        com::com_ptr<IEnumSpObjectTokens> tokens;
        check(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IEnumSpObjectTokens, tokens.put_void()),
              "creating the token enumerator");
        for (;;) {
            com::com_ptr<ISpObjectToken> token;
            ULONG fetched = 0;
            const HRESULT hr = tokens->Next(1, token.put(), &fetched);
            check(hr, "taking a voice token");
            if (fetched == 0) break;
            voice v;
            utils::out_ptr<wchar_t> id(CoTaskMemFree);
            if (SUCCEEDED(token->GetId(id.put())) && id.get()) v.id = id.get();
            v.name = attribute(token.get(), L"Name");
            v.gender = attribute(token.get(), L"Gender");
            v.token = token;
            voices.push_back(std::move(v));
        }
    }
    return voices;
}

com::com_ptr<ISpTTSEngine> create_engine(ISpObjectToken* token) {
    const std::wstring clsid_text = string_value(token, L"CLSID");
    CLSID clsid;
    check(CLSIDFromString(clsid_text.c_str(), &clsid), "reading the voice's engine CLSID");
    com::com_ptr<ISpTTSEngine> engine;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ISpTTSEngine, engine.put_void()),
          "creating the engine");
    com::com_ptr<ISpObjectWithToken> with_token;
    check(engine->QueryInterface(IID_ISpObjectWithToken, with_token.put_void()), "asking for ISpObjectWithToken");
    check(with_token->SetObjectToken(token), "SetObjectToken");
    return engine;
}

}  // namespace Orvane::sapi_host

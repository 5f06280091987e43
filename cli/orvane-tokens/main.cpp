// Lists the voices as SAPI finds them: the token enumerator registered under
// Voices\TokenEnums\Orvane, created through COM, and each token's id and
// attributes. Exit codes: 0 listed, 1 not registered, 2 COM failure.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "com/com_ptr.h"
#include "com/out_ptr.h"
#include "sapi/sapi_ddk.h"
#include "utils/com_apartment.h"
#include "utils/utf.h"

using namespace Orvane;

namespace {

std::wstring registered_enumerator() {
    wchar_t text[64] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Speech\\Voices\\TokenEnums\\Orvane", L"CLSID",
                     RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return {};
    return text;
}

std::string value(ISpDataKey* key, const wchar_t* name) {
    utils::out_ptr<wchar_t> text(&CoTaskMemFree);
    if (!key || FAILED(key->GetStringValue(name, text.put()))) return "?";
    return utils::wide_to_utf8(text.get());
}

std::string id_of(ISpObjectToken* token) {
    utils::out_ptr<wchar_t> text(&CoTaskMemFree);
    if (FAILED(token->GetId(text.put()))) return "?";
    return utils::wide_to_utf8(text.get());
}

int list(IEnumSpObjectTokens* tokens) {
    ULONG count = 0;
    tokens->GetCount(&count);
    std::printf("%d-bit: %lu voices\n", int(sizeof(void*) * 8), count);
    for (ULONG index = 0;; ++index) {
        com::com_ptr<ISpObjectToken> token;
        const HRESULT hr = tokens->Next(1, token.put(), nullptr);
        if (hr == S_FALSE) return 0;
        if (FAILED(hr)) {
            std::fprintf(stderr, "Next failed: 0x%08lX\n", hr);
            return 2;
        }
        com::com_ptr<ISpDataKey> attributes;
        token->OpenKey(L"Attributes", attributes.put());
        std::printf("%2lu  %s\n    Name=%s Gender=%s Age=%s Language=%s Vendor=%s\n", index, id_of(token.get()).c_str(),
                    value(attributes.get(), L"Name").c_str(), value(attributes.get(), L"Gender").c_str(),
                    value(attributes.get(), L"Age").c_str(), value(attributes.get(), L"Language").c_str(),
                    value(attributes.get(), L"Vendor").c_str());
    }
}

int run() {
    const std::wstring text = registered_enumerator();
    CLSID clsid;
    if (text.empty() || FAILED(CLSIDFromString(text.c_str(), &clsid))) {
        std::fprintf(stderr, "no token enumerator registered under TokenEnums\\Orvane\n");
        return 1;
    }
    com::com_ptr<IEnumSpObjectTokens> tokens;
    const HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IEnumSpObjectTokens, tokens.put_void());
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot create %s: 0x%08lX\n", utils::wide_to_utf8(text).c_str(), hr);
        return 2;
    }
    return list(tokens.get());
}

}  // namespace

int main() {
    const utils::com_apartment apartment;
    if (FAILED(apartment.result())) return 2;
    return run();
}

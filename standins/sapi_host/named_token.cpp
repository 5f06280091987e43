#include "standins/sapi_host/named_token.h"

#include <stdexcept>

#include "com/iunknown_impl.h"
#include "sapi/data_key.h"

namespace Orvane::sapi_host {
namespace {

class named_key : public sapi::ISpDataKeyImpl {
public:
    named_key(std::wstring name, token_shape shape) : name(std::move(name)), shape(shape) {}

    HRESULT STDMETHODCALLTYPE OpenKey(LPCWSTR key, ISpDataKey** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (shape == token_shape::no_attributes || !key || std::wstring(key) != L"Attributes") return SPERR_NOT_FOUND;
        utils::ascii_imap values;
        if (shape == token_shape::named) values[L"Name"] = name;
        auto attributes = com::IUnknownImpl<sapi::ISpDataKeyImpl>::create(std::wstring(), values);
        return attributes->QueryInterface(IID_ISpDataKey, reinterpret_cast<void**>(out));
    }

private:
    std::wstring name;
    token_shape shape;
};

}  // namespace

com::com_ptr<ISpObjectToken> make_named_token(const std::wstring& name, token_shape shape) {
    auto key = com::IUnknownImpl<named_key>::create(name, shape);
    com::com_ptr<ISpObjectTokenInit> init;
    HRESULT hr = CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_INPROC_SERVER, IID_ISpObjectTokenInit,
                                  init.put_void());
    if (FAILED(hr)) throw std::runtime_error("no object token class with ISpObjectTokenInit is registered");
    hr = init->InitFromDataKey(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices",
                               (L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\TokenEnums\\Test\\" + name).c_str(),
                               key.get());
    if (FAILED(hr)) throw std::runtime_error("InitFromDataKey failed");
    com::com_ptr<ISpObjectToken> token;
    init->QueryInterface(IID_ISpObjectToken, token.put_void());
    return token;
}

}  // namespace Orvane::sapi_host

#include "sapi/object_token.h"

#include <stdexcept>

#include "com/com_boundary.h"
#include "com/iunknown_impl.h"
#include "engine/voice_table.h"
#include "sapi/class_ids.h"
#include "sapi/voice_token.h"
#include "utils/utf.h"

namespace Orvane::sapi {
namespace {

com::com_ptr<ISpDataKey> voice_data_key(int voice_index) {
    auto token = com::IUnknownImpl<voice_token>::create(voice_index);
    com::com_ptr<ISpDataKey> key;
    if (FAILED(token->QueryInterface(IID_ISpDataKey, key.put_void())))
        throw std::invalid_argument("Unsupported interface");
    return key;
}

// SAPI's token class; E_NOINTERFACE (Wine's SAPI) leaves the result null.
com::com_ptr<ISpObjectTokenInit> create_sapi_token() {
    com::com_ptr<IUnknown> object;
    HRESULT hr = CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL, IID_IUnknown, object.put_void());
    if (SUCCEEDED(hr)) hr = OleRun(object.get());
    com::com_ptr<ISpObjectTokenInit> init;
    if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_ISpObjectTokenInit, init.put_void());
    if (FAILED(hr) && hr != E_NOINTERFACE) com::throw_com_error(hr);
    if (FAILED(hr)) init.reset();
    return init;
}

}  // namespace

std::wstring voice_token_id(int voice_index) {
    const engine::voice_info* voice = engine::find_voice(voice_index);
    return std::wstring(voices_category_id) + L"\\TokenEnums\\" + token_enum_key_name + L"\\" +
           utils::utf8_to_wide(voice ? voice->name : "");
}

com::com_ptr<ISpObjectToken> make_object_token(int voice_index) {
    const std::wstring id = voice_token_id(voice_index);
    const auto key = voice_data_key(voice_index);
    const auto init = create_sapi_token();
    if (!init) throw std::runtime_error("Unable to create an object token");
    if (FAILED(init->InitFromDataKey(voices_category_id, id.c_str(), key.get())))
        throw std::runtime_error("Unable to initialize an object token");
    com::com_ptr<ISpObjectToken> token;
    const HRESULT hr = init->QueryInterface(IID_ISpObjectToken, token.put_void());
    if (FAILED(hr) && hr != E_NOINTERFACE) com::throw_com_error(hr);
    return token;
}

}  // namespace Orvane::sapi

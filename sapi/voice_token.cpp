#include "sapi/voice_token.h"

#include <stdexcept>

#include "com/com_boundary.h"
#include "com/task_memory.h"
#include "engine/voice_table.h"
#include "sapi/class_ids.h"
#include "utils/utf.h"

namespace Orvane::sapi {
namespace {

constexpr wchar_t attributes_key[] = L"Attributes";

std::wstring voice_name(int voice_index) {
    const engine::voice_info* voice = engine::find_voice(voice_index);
    return utils::utf8_to_wide(voice ? voice->name : "");
}

}  // namespace

voice_token::voice_token(int voice_index) {
    default_value = voice_name(voice_index);
    values[L"CLSID"] = com::clsid_string(clsid_tts_engine);
    attributes[L"Age"] = L"Adult";
    attributes[L"Vendor"] = L"Orvane";
    attributes[L"Language"] = L"409";
    attributes[L"Gender"] = engine::voice_is_female(voice_index) ? L"Female" : L"Male";
    attributes[L"Name"] = default_value;
}

HRESULT voice_token::OpenKey(LPCWSTR name, ISpDataKey** key) {
    if (!name) return E_INVALIDARG;
    if (!key) return E_POINTER;
    *key = nullptr;
    // Paths are not parsed: "Attributes\x" is simply not found.
    if (utils::ascii_icompare(name, attributes_key) != 0) return SPERR_NOT_FOUND;
    return com::com_boundary([&] {
        auto snapshot = com::IUnknownImpl<ISpDataKeyImpl>::create(std::wstring(), attributes);
        if (FAILED(snapshot->QueryInterface(IID_ISpDataKey, reinterpret_cast<void**>(key))))
            throw std::invalid_argument("Unsupported interface");
        return S_OK;
    });
}

HRESULT voice_token::EnumKeys(ULONG index, LPWSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (index > 0) return SPERR_NO_MORE_ITEMS;
    return com::com_boundary([&] {
        *name = com::task_string(attributes_key);
        return S_OK;
    });
}

}  // namespace Orvane::sapi

#include "com/registration.h"

#include <objbase.h>

#include "com/inproc_server.h"
#include "com/module.h"
#include "com/task_memory.h"
#include "sapi/class_ids.h"
#include "utils/registry_key.h"

namespace Orvane::com {
namespace {

const wchar_t token_enums_root[] = L"Software\\Microsoft\\Speech\\Voices\\TokenEnums";

std::wstring guid_text(REFGUID guid) {
    wchar_t text[64] = {};
    if (!StringFromGUID2(guid, text, 64)) throw registry::error("Unable to write a value in the registry");
    return text;
}

}  // namespace

void register_server() {
    const std::wstring path = library_path();
    registry::register_inproc_server(sapi::clsid_token_enumerator, path);
    registry::register_inproc_server(sapi::clsid_tts_engine, path);

    const auto enums = registry::registry_key::create(HKEY_LOCAL_MACHINE, token_enums_root,
                                                      KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
    const auto entry = registry::registry_key::create(enums.get(), sapi::token_enum_key_name, KEY_SET_VALUE);
    entry.set_default(L"Orvane Voices");
    entry.set_value(L"CLSID", guid_text(sapi::clsid_token_enumerator));
}

void unregister_server() {
    try {
        registry::registry_key::open(HKEY_LOCAL_MACHINE, token_enums_root, KEY_ALL_ACCESS)
            .delete_subkey(sapi::token_enum_key_name);
    } catch (...) {
        // Already gone or never written: the class entries still have to go.
    }
    registry::unregister_inproc_server(sapi::clsid_token_enumerator);
    registry::unregister_inproc_server(sapi::clsid_tts_engine);
}

}  // namespace Orvane::com

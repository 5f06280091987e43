#include "com/inproc_server.h"

#include "com/task_memory.h"
#include "utils/registry_key.h"

namespace Orvane::registry {

const wchar_t clsid_root[] = L"Software\\Classes\\CLSID";

void register_inproc_server(REFCLSID clsid, const std::wstring& path) {
    const auto root = registry_key::open(HKEY_LOCAL_MACHINE, clsid_root, KEY_CREATE_SUB_KEY);
    const auto class_key = registry_key::create(root.get(), com::clsid_string(clsid).c_str(), KEY_CREATE_SUB_KEY);
    const auto server = registry_key::create(class_key.get(), L"InProcServer32", KEY_SET_VALUE);
    server.set_default(path);
    server.set_value(L"ThreadingModel", L"Both");
}

void unregister_inproc_server(REFCLSID clsid) {
    const std::wstring name = com::clsid_string(clsid);
    const auto root = registry_key::open(HKEY_LOCAL_MACHINE, clsid_root, KEY_READ);
    registry_key::open(root.get(), name.c_str(), KEY_READ).delete_subkey(L"InProcServer32");
    root.delete_subkey(name.c_str());
}

}  // namespace Orvane::registry

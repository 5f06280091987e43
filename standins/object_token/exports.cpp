// The stand-in's exports: one creatable class, registered in place of
// SAPI's object token.
#include <windows.h>
#include <objbase.h>

#include "com/class_object_factory.h"
#include "com/com_boundary.h"
#include "com/inproc_server.h"
#include "com/module.h"
#include "com/object_count.h"
#include "com/task_memory.h"
#include "standins/object_token/object_token.h"
#include "utils/registry_key.h"

using namespace Orvane;

namespace {

com::class_object_factory& table() {
    static com::class_object_factory factory;
    return factory;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        com::set_module_handle(module);
        DisableThreadLibraryCalls(module);
        try {
            table().add<standins::object_token>();
        } catch (...) {
            return FALSE;
        }
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) { return table().get_class_object(clsid, iid, out); }

STDAPI DllCanUnloadNow() { return com::object_count() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    return com::com_boundary([] {
        registry::register_inproc_server(standins::object_token::class_id, com::library_path());
        return S_OK;
    });
}

// Leaves the class key itself: it was there before the stand-in.
STDAPI DllUnregisterServer() {
    return com::com_boundary([] {
        const std::wstring name = com::clsid_string(standins::object_token::class_id);
        const auto root = registry::registry_key::open(HKEY_LOCAL_MACHINE, registry::clsid_root, KEY_READ);
        registry::registry_key::open(root.get(), name.c_str(), KEY_READ).delete_subkey(L"InProcServer32");
        return S_OK;
    });
}

// The library's four exports.
#include <windows.h>
#include <objbase.h>

#include "com/class_table.h"
#include "com/com_boundary.h"
#include "com/object_count.h"
#include "com/registration.h"

#ifdef _WIN64
#include "sapi/process_pipe_client.h"
#endif

using namespace Orvane::com;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return class_table().get_class_object(clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return object_count() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    return com_boundary([] {
        register_server();
        return S_OK;
    });
}

STDAPI DllUnregisterServer() {
#ifdef _WIN64
    // A running server would keep the old files busy.
    if (auto* client = Orvane::sapi::process_pipe_client()) client->shutdown_server();
#endif
    return com_boundary([] {
        unregister_server();
        return S_OK;
    });
}

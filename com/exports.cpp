// The library's four exports.
#include <windows.h>
#include <objbase.h>

#include "com/class_table.h"
#include "com/com_boundary.h"
#include "com/object_count.h"
#include "com/registration.h"
#include "sapi/speech_backend.h"

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
    Orvane::sapi::speech_backend::before_unregistration();
    return com_boundary([] {
        unregister_server();
        return S_OK;
    });
}

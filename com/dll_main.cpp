#include <windows.h>

#include "com/class_table.h"
#include "com/module.h"
#include "sapi/speech_backend.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    using namespace Orvane;
    if (reason == DLL_PROCESS_ATTACH) {
        com::set_module_handle(module);
        DisableThreadLibraryCalls(module);
        try {
            sapi::speech_backend::attach_library(module);
            com::fill_class_table();
        } catch (...) {
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        sapi::speech_backend::detach_library();
    }
    return TRUE;
}

#include "com/module.h"

#include <stdexcept>

namespace Orvane::com {
namespace {
HMODULE stored_module = nullptr;
}

HMODULE module_handle() { return stored_module; }
void set_module_handle(HMODULE module) { stored_module = module; }

std::wstring library_path() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(stored_module, buffer, MAX_PATH + 1);
    // A path that fills the buffer was cut short; registering it would point COM nowhere.
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("Unable to get the path of the dll");
    return std::wstring(buffer, length);
}

}  // namespace Orvane::com

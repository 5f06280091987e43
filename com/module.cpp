#include "com/module.h"

#include <stdexcept>

#include "utils/module.h"

namespace Orvane::com {
namespace {
HMODULE stored_module = nullptr;
}

HMODULE module_handle() { return stored_module; }
void set_module_handle(HMODULE module) { stored_module = module; }

std::wstring library_path() {
    std::wstring path = utils::module_file_path(stored_module);
    if (path.empty()) throw std::runtime_error("Unable to get the path of the dll");
    return path;
}

}  // namespace Orvane::com

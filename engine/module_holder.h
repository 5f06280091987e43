#pragma once
// Owner of a loaded library until it is handed over.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace Orvane::engine {

struct module_deleter {
    void operator()(HMODULE module) const {
        if (module) FreeLibrary(module);
    }
};
using module_holder = std::unique_ptr<std::remove_pointer_t<HMODULE>, module_deleter>;

}  // namespace Orvane::engine

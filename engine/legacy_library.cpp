#include "engine/legacy_library.h"

#include <string>

#include "utils/module.h"

namespace Orvane::engine {

engine_driver_ptr load_legacy_engine(HMODULE module) {
    const std::wstring beside = utils::path_beside(module, legacy_library_name);
    if (!beside.empty())
        if (auto driver = engine_driver::load(beside.c_str())) return driver;
    return engine_driver::load(legacy_library_name);
}

}  // namespace Orvane::engine

#include "engine/legacy_library.h"

#include <string>

#include "utils/module.h"

namespace Orvane::engine {

engine_driver_ptr load_legacy_engine(HMODULE module) {
    const std::wstring folder = utils::parent_folder(utils::module_file_path(module));
    if (!folder.empty())
        if (auto driver = engine_driver::load((folder + L"\\" + legacy_library_name).c_str())) return driver;
    return engine_driver::load(legacy_library_name);
}

}  // namespace Orvane::engine

#pragma once
// Where the legacy engine is looked for: next to one of our binaries first,
// so that an installation uses its own copy, else by bare name through the
// system's search order.

#include <windows.h>

#include "engine/engine_driver.h"

namespace Orvane::engine {

constexpr const wchar_t* legacy_library_name = L"o32_tts.dll";

// A driver of the legacy library beside `module` (null: the program), else
// of the one the search path finds; null when neither loads.
engine_driver_ptr load_legacy_engine(HMODULE module);

}  // namespace Orvane::engine

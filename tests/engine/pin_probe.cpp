// A library that speaks once through its own copy of the driver, so that
// the hooks live in it; the pin test unloads it afterwards.

#include <windows.h>

#include <cstdint>

#include "engine/engine_driver.h"

namespace {

bool count(const void*, uint32_t bytes, void* user_data) {
    *static_cast<uint32_t*>(user_data) += bytes;
    return true;
}

}  // namespace

extern "C" __declspec(dllexport) uint32_t probe_speak(const wchar_t* engine_path) {
    using Orvane::engine::engine_driver;
    uint32_t bytes = 0;
    if (auto driver = engine_driver::load(engine_path))
        engine_driver::speak(driver.get(), count, &bytes, {"probe"});
    return bytes;
}

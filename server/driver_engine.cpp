#include "server/driver_engine.h"

#include <string>

#include "pipe/module_path.h"

namespace Orvane::server {

bool connection_engine::speak(const pipe::speak_request& request, engine::audio_callback sink, void* sink_data) {
    if (!driver_) driver_ = load_legacy_engine();
    if (!driver_) return false;
    engine::engine_driver::speak(driver_.get(), sink, sink_data, request.text.c_str(), request.voice_index,
                                 request.rate, request.speed, request.volume, request.pitch);
    return true;
}

engine::engine_driver_ptr load_legacy_engine() {
    constexpr const wchar_t* library = L"o32_tts.dll";
    std::wstring beside = pipe::module_file_path(nullptr);
    const std::size_t slash = beside.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
        beside.replace(slash + 1, std::wstring::npos, library);
        if (auto driver = engine::engine_driver::load(beside.c_str())) return driver;
    }
    return engine::engine_driver::load(library);
}

}  // namespace Orvane::server

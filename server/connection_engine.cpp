#include "server/connection_engine.h"

#include "engine/legacy_library.h"

namespace Orvane::server {

bool connection_engine::speak(const pipe::speak_request& request, engine::audio_callback sink, void* sink_data) {
    if (!driver_) driver_ = engine::load_legacy_engine(nullptr);
    if (!driver_) return false;
    engine::engine_driver::speak(driver_.get(), sink, sink_data, request);
    return true;
}

}  // namespace Orvane::server

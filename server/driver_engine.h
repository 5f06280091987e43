#pragma once
// The speech engine of the real server: the legacy engine driver.

#include "engine/engine_driver.h"
#include "server/session.h"

namespace Orvane::server {

class driver_engine final : public speech_engine {
public:
    explicit driver_engine(engine::engine_driver* driver) : driver_(driver) {}
    void speak(const pipe::speak_request& request, engine::audio_callback sink, void* sink_data) override;

private:
    engine::engine_driver* driver_;
};

// The legacy engine next to the executable, else by bare name; null if neither loads.
engine::engine_driver_ptr load_legacy_engine();

}  // namespace Orvane::server

#pragma once
// The speech engine of one connection: a legacy engine driver of its own,
// loaded on the connection's thread when it first speaks, so that its
// notification window and messages belong to that thread.

#include "engine/engine_driver.h"
#include "server/session.h"

namespace Orvane::server {

class connection_engine final : public speech_engine {
public:
    bool speak(const pipe::speak_request& request, engine::audio_callback sink, void* sink_data) override;

private:
    engine::engine_driver_ptr driver_;
};

}  // namespace Orvane::server

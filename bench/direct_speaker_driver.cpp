// 32-bit: the legacy engine driver in this process, the library loaded from
// next to this program.
#include "bench/direct_speaker.h"

#include <stdexcept>

#include "engine/engine_driver.h"
#include "engine/legacy_library.h"

namespace Orvane::bench {

struct direct_speaker::state {
    engine::engine_driver_ptr driver;
};

direct_speaker::direct_speaker() : state_(new state) {
    state_->driver = engine::load_legacy_engine(nullptr);
    if (!state_->driver) throw std::runtime_error("cannot load o32_tts.dll from this program's folder");
}

direct_speaker::~direct_speaker() = default;

void direct_speaker::speak(const std::string& text, float speed, audio_probe& probe) {
    probe.start = clock_type::now();
    engine::engine_driver::speak(state_->driver.get(), audio_probe::take, &probe, {text, 0, 0, speed, 0, -1});
}

const char* direct_speaker::description() { return "engine_driver::speak (in-process, 32-bit)"; }

}  // namespace Orvane::bench

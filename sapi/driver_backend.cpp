// The 32-bit back-end: one legacy engine driver per engine object.
#include "sapi/speech_backend.h"

#include <windows.h>

#include <mutex>

#include "engine/engine_driver.h"
#include "engine/legacy_library.h"
#include "engine/voice_table.h"
#include "utils/module.h"

namespace Orvane::sapi {
namespace {

// Next to this library, which is where an installation keeps its copy.
engine::engine_driver_ptr load_driver() {
    return engine::load_legacy_engine(utils::module_containing(reinterpret_cast<const void*>(&load_driver)));
}

// A host that makes a voice for every utterance would otherwise load and
// unload the legacy library each time, and what a library allocates when
// it loads is not always given back when it goes (two handles per load
// with our stand-in under Wine). So the driver of the last voice released
// waits here for the next voice; its instance also keeps the library's
// shared state alive, so orvDestroy never ends it under a later voice.
// Never released: at process exit the legacy library may be gone first.
struct spare_driver {
    std::mutex lock;
    engine::engine_driver_ptr driver;
};

spare_driver& spare() {
    static spare_driver* const slot = new spare_driver;
    return *slot;
}

engine::engine_driver_ptr take_driver() {
    {
        std::lock_guard<std::mutex> hold(spare().lock);
        if (spare().driver) return std::move(spare().driver);
    }
    return load_driver();
}

void give_back(engine::engine_driver_ptr driver) {
    if (!driver) return;
    std::unique_lock<std::mutex> hold(spare().lock);
    if (!spare().driver) {
        spare().driver = std::move(driver);
        return;
    }
    hold.unlock();
    driver.reset();  // one spare is enough; this one goes
}

}  // namespace

struct speech_backend::state {
    engine::engine_driver_ptr driver;
};

speech_backend::speech_backend() : state_(new state) {}

speech_backend::~speech_backend() {
    give_back(std::move(state_->driver));
    delete state_;
}

bool speech_backend::ensure_ready() {
    if (!state_->driver) state_->driver = take_driver();
    return state_->driver != nullptr;
}

bool speech_backend::synthesize(const engine::synthesis_request& request, engine::audio_callback sink,
                                void* context) {
    engine::engine_driver::speak(state_->driver.get(), sink, context, request);
    return true;
}

int speech_backend::find_voice(const std::string& name) {
    const int index = engine::find_voice_by_name(name.c_str());
    return index < 0 ? 0 : index;
}

// The driver's notification window class belongs to this library, not the host.
void speech_backend::attach_library(HMODULE module) { engine::engine_driver::set_instance(module); }

void speech_backend::detach_library() {}

void speech_backend::before_unregistration() {}

}  // namespace Orvane::sapi

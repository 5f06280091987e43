// The 32-bit back-end: one legacy engine driver per engine object, loaded
// from next to this library, else by bare name through the search path.
#include "sapi/speech_backend.h"

#include <windows.h>

#include <mutex>

#include "engine/engine_driver.h"
#include "engine/voice_table.h"

namespace Orvane::sapi {
namespace {

constexpr wchar_t legacy_library[] = L"o32_tts.dll";

// The folder of the module holding this code, with a trailing backslash.
std::wstring own_folder() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&own_folder), &module))
        return {};
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};  // a cut path would name the wrong folder
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

engine::engine_driver_ptr load_driver() {
    const std::wstring folder = own_folder();
    if (!folder.empty() && folder.size() + wcslen(legacy_library) < MAX_PATH)
        if (auto driver = engine::engine_driver::load((folder + legacy_library).c_str())) return driver;
    return engine::engine_driver::load(legacy_library);
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

bool speech_backend::synthesize(const synthesis_values& v, audio_sink sink, void* context) {
    engine::engine_driver::speak(state_->driver.get(), sink, context, v.text, v.voice_index, v.rate, v.speed,
                                 v.volume, v.pitch);
    return true;
}

int speech_backend::find_voice(const std::string& name) {
    const int index = engine::find_voice_by_name(name.c_str());
    return index < 0 ? 0 : index;
}

}  // namespace Orvane::sapi

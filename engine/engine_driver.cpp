#include "engine/engine_driver.h"

#include <map>
#include <mutex>
#include <utility>

#include "engine/notify_window.h"
#include "utils/module.h"

namespace Orvane::engine {

namespace {

constexpr uint32_t param_mode = 0x1001;
constexpr int32_t mode_value = 16;

// The live drivers of each loaded legacy library. orvDestroy takes no
// instance handle: it may end what every open instance shares, so it runs
// only when the last driver of its library goes. One lock orders it with
// the creation and closing of instances on other threads.
struct library_users {
    std::mutex lock;
    std::map<HMODULE, int> drivers;
};

// Never destroyed: a driver may still be released while the process exits.
library_users& users() {
    static library_users* const table = new library_users;
    return *table;
}

template <typename Fn>
Fn find_export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

engine_driver_ptr bind(utils::module_holder library) {
    if (!library) return nullptr;
    engine_driver_ptr driver(new engine_driver);
    driver->orvCreate = find_export<engine_driver::create_fn>(library.get(), "orvCreate");
    driver->TtsWav = find_export<engine_driver::tts_wav_fn>(library.get(), "TtsWav");
    driver->orvRelBuf = find_export<engine_driver::handle_fn>(library.get(), "orvRelBuf");
    driver->orvDestroy = find_export<engine_driver::destroy_fn>(library.get(), "orvDestroy");
    driver->orvClose = find_export<engine_driver::handle_fn>(library.get(), "orvClose");
    driver->orvSetParams = find_export<engine_driver::set_params_fn>(library.get(), "orvSetParams");
    // orvSetParams is called unconditionally on every speak, so a library
    // without it is refused here, before an instance exists to clean up.
    if (!driver->orvCreate || !driver->TtsWav || !driver->orvSetParams) {
        driver->orvClose = nullptr;
        driver->orvDestroy = nullptr;
        return nullptr;  // the holder unloads the library
    }
    {
        library_users& table = users();
        std::lock_guard<std::mutex> hold(table.lock);
        if (driver->orvCreate(&driver->handle) != 0) {
            driver->orvClose = nullptr;
            driver->orvDestroy = nullptr;
            return nullptr;
        }
        ++table.drivers[library.get()];
    }
    driver->module = library.release();
    driver->orvSetParams(driver->handle, param_mode, mode_value);
    return driver;
}

// Closes the driver's instance and, for the last driver of its library,
// what the library shares between instances.
void close_instance(engine_driver& driver) {
    library_users& table = users();
    std::lock_guard<std::mutex> hold(table.lock);
    if (driver.orvClose && driver.handle != 0) driver.orvClose(driver.handle);
    const auto users_of = table.drivers.find(driver.module);
    if (users_of == table.drivers.end() || --users_of->second > 0) return;
    table.drivers.erase(users_of);
    if (driver.orvDestroy) driver.orvDestroy();
}

}  // namespace

engine_driver_ptr engine_driver::load(const wchar_t* path) {
    if (!path) return nullptr;
    return bind(utils::module_holder(LoadLibraryW(path)));
}

engine_driver_ptr engine_driver::load(const char* path) {
    if (!path) return nullptr;
    return bind(utils::module_holder(LoadLibraryA(path)));
}

void engine_driver::release(engine_driver* driver) {
    if (!driver) return;
    close_instance(*driver);
    if (driver->module) FreeLibrary(driver->module);
    dispose_notify_window(driver->window);
    delete driver;
}

}  // namespace Orvane::engine

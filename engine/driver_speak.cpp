#include "engine/engine_driver.h"

#include <string>
#include <utility>

#include "engine/capture.h"
#include "engine/notify_window.h"
#include "engine/speed_factor.h"
#include "engine/stretch.h"
#include "engine/text_normalise.h"
#include "engine/utterance.h"

namespace Orvane::engine {

namespace {

constexpr uint32_t param_rate = 0x101;
constexpr uint32_t param_volume = 0x102;

// Lends the speak's stream to the driver (the hooks read it there) and
// takes it back on every way out.
class stream_loan {
public:
    stream_loan(engine_driver& driver, stream_holder stream) : driver_(driver), stream_(std::move(stream)) {
        driver_.stream = stream_.get();
    }
    ~stream_loan() { driver_.stream = nullptr; }
    stream_loan(const stream_loan&) = delete;
    stream_loan& operator=(const stream_loan&) = delete;

private:
    engine_driver& driver_;
    stream_holder stream_;
};

}  // namespace

void engine_driver::speak(engine_driver* driver, audio_callback callback, void* user_data,
                          const synthesis_request& request) {
    if (!driver || !callback) return;
    // A window only reaches the window procedure on the thread that owns it,
    // so a driver that moved to another thread needs a window there.
    if (!owned_by_this_thread(driver->window)) {
        dispose_notify_window(std::exchange(driver->window, nullptr));
        driver->window = create_notify_window();
        // Without the window no buffer would ever be released and the engine
        // would wait on each one: say nothing rather than stall.
        if (!driver->window) return;
    }

    // The text ends at its first NUL, as it always has for the legacy engine.
    const std::string utterance =
        build_utterance(normalise_text(request.text.c_str()), request.voice_index, request.pitch);

    driver->orvSetParams(driver->handle, param_volume, request.volume);
    driver->orvSetParams(driver->handle, param_rate, request.rate);

    driver->speed = usable_speed(request.speed);
    stream_loan stream(*driver, needs_stretch(driver->speed) ? create_stretch_stream(driver->speed) : nullptr);

    driver->callback = callback;
    driver->callback_data = user_data;
    driver->stopped = false;
    driver->captured_buffers = 0;
    driver->released_buffers = 0;
    driver->pending_error = nullptr;

    install_hooks();
    {
        current_driver_scope scope(driver);
        driver->TtsWav(driver->handle, driver, utterance.c_str());
        if (driver->stream && !driver->pending_error) {
            try {
                deliver_stretched(*driver, true);
            } catch (...) {
                driver->pending_error = std::current_exception();
            }
        }
    }
    driver->callback = nullptr;
    driver->callback_data = nullptr;
    if (std::exception_ptr error = std::exchange(driver->pending_error, nullptr)) std::rethrow_exception(error);
}

}  // namespace Orvane::engine

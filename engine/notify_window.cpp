#include "engine/notify_window.h"

#include <atomic>
#include <mutex>

#include "engine/capture.h"
#include "engine/engine_driver.h"

namespace Orvane::engine {

namespace {

HINSTANCE window_instance = nullptr;
std::atomic<bool> fail_creation{false};

// Two threads registering at once could both be told "already exists"
// before the winner's class is usable, and the loser's window would fail;
// so the first registers while the others wait.
std::mutex registration_lock;
bool registered = false;

bool register_class() {
    WNDCLASSW existing{};
    if (GetClassInfoW(window_instance, window_class_name, &existing)) return true;
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = notify_window_procedure;
    window_class.hInstance = window_instance;
    window_class.lpszClassName = window_class_name;
    // GetClassInfoW with a null instance looks for system classes only, so
    // a class registered earlier with a null instance is not found above;
    // registering again then fails with "already exists", which is fine.
    if (!RegisterClassW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    // The class is never unregistered, so its procedure must stay loaded.
    pin_this_module();
    return true;
}

bool class_registered() {
    std::lock_guard<std::mutex> hold(registration_lock);
    if (!registered) registered = register_class();
    return registered;
}

}  // namespace

void engine_driver::set_instance(HINSTANCE instance) { window_instance = instance; }

void fail_window_creation_for_testing(bool fail) { fail_creation = fail; }

HWND create_notify_window() {
    if (fail_creation || !class_registered()) return nullptr;
    return CreateWindowExW(0, window_class_name, window_name, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           window_instance, nullptr);
}

bool owned_by_this_thread(HWND window) {
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

void dispose_notify_window(HWND window) {
    if (!window) return;
    if (owned_by_this_thread(window)) DestroyWindow(window);
    else PostMessageW(window, WM_CLOSE, 0, 0);  // DefWindowProc destroys it there
}

LRESULT CALLBACK notify_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case buffer_done_message:
            // Whichever driver is speaking on this thread now; none after speak.
            if (engine_driver* driver = current_driver; driver && driver->orvRelBuf) {
                ++driver->released_buffers;
                driver->orvRelBuf(driver->handle);
            }
            return 0;
        case WM_DESTROY:
            // A helper window says nothing when it goes: a quit message here
            // would end the message loop of the host whose thread released us.
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace Orvane::engine

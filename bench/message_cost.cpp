// The price of one posted message and its dispatch on this thread: the
// capture pays it once for every buffer the legacy engine plays.
#include <windows.h>

#include "bench/figures.h"

namespace Orvane::bench {
namespace {

constexpr wchar_t window_class[] = L"orvane_bench_message_cost";
constexpr int round_trips = 2000;

class message_window {
public:
    message_window() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = window_class;
        RegisterClassW(&wc);  // already registered is fine
        window_ = CreateWindowExW(0, window_class, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~message_window() {
        if (window_) DestroyWindow(window_);
    }
    message_window(const message_window&) = delete;
    message_window& operator=(const message_window&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace

void measure_message_cost(const options& opts, results& out) {
    message_window window;
    if (!window.get()) return;
    const int runs = opts.tiny ? 1 : 5;
    for (int run = 0; run < runs; ++run) {
        const auto start = clock_type::now();
        for (int i = 0; i < round_trips; ++i) {
            PostMessageW(window.get(), WM_APP, 0, 0);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        out.add("message_round_trip_us", ms_since(start) * 1000.0 / round_trips, "us");
    }
}

}  // namespace Orvane::bench

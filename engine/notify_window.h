#pragma once
// The hidden window through which captured buffers are reported played:
// the hook posts buffer_done_message to it, and when the legacy engine
// dispatches its messages the window procedure calls orvRelBuf.

#include <windows.h>

namespace Orvane::engine {

constexpr UINT buffer_done_message = WM_USER + 1;
constexpr const wchar_t* window_class_name = L"o32tts_wrapper_class";
constexpr const wchar_t* window_name = L"o32tts_wrapper_window";

// Registers the class on first use and creates a message-only window owned
// by the calling thread; null on failure. Safe from many threads at once.
HWND create_notify_window();

// Only the owning thread can destroy a window. From any other thread the
// window is asked to close, which its own thread does the next time it
// dispatches messages (the legacy engine does in every speak); a window
// whose thread has ended is already gone. Accepts null.
void dispose_notify_window(HWND window);

// True when the window exists and belongs to the calling thread.
bool owned_by_this_thread(HWND window);

LRESULT CALLBACK notify_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Test seam: while set, create_notify_window fails as if the system had
// refused the window.
void fail_window_creation_for_testing(bool fail);

}  // namespace Orvane::engine

#include "standins/o32_tts/message_pump.h"

namespace Orvane::standin {
namespace {

// A window that posts to itself from its own handler would otherwise keep
// the pump busy forever and the player would never look at its deadline.
constexpr int max_messages_per_turn = 64;

}  // namespace

message_pump::~message_pump() {
    if (quit_seen_) PostQuitMessage(static_cast<int>(quit_code_));
}

bool message_pump::dispatch_pending() {
    bool any = false;
    MSG msg;
    for (int i = 0; i < max_messages_per_turn && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        any = true;
        if (msg.message == WM_QUIT) {
            // Not ours to act on: ending the utterance here would cut off
            // speech whenever a quit is pending on the host's thread.
            quit_seen_ = true;
            quit_code_ = msg.wParam;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return any;
}

void message_pump::wait(uint32_t ms) {
    if (dispatch_pending()) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    dispatch_pending();
}

}  // namespace Orvane::standin

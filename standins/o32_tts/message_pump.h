#pragma once
// Dispatches the calling thread's messages while the stand-in waits for its
// buffers, as a legacy engine playing through wave output must: the capture
// reports buffers played through messages it posts to the thread.

#include <windows.h>

#include <cstdint>

namespace Orvane::standin {

class message_pump {
public:
    message_pump() = default;
    message_pump(const message_pump&) = delete;
    message_pump& operator=(const message_pump&) = delete;
    // Posts again a quit request that arrived while pumping, so the host's
    // own loop still sees it once the utterance is over.
    ~message_pump();

    // Dispatches what is queued; when nothing was, sleeps until input
    // arrives or `ms` pass, then dispatches again.
    void wait(uint32_t ms);

    bool quit_seen() const { return quit_seen_; }

private:
    bool dispatch_pending();

    bool quit_seen_ = false;
    WPARAM quit_code_ = 0;
};

}  // namespace Orvane::standin

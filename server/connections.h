#pragma once
// The connections the server is serving, each on a thread of its own with
// its own engine driver, stop flag and payload charge, and what they share:
// the payload budget and the shutdown signal.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>

#include "server/payload_budget.h"
#include "utils/handle.h"

namespace Orvane::server {

class connection_set : public std::enable_shared_from_this<connection_set> {
public:
    // Throws std::runtime_error when its events cannot be created.
    explicit connection_set(std::size_t limit);
    connection_set(const connection_set&) = delete;
    connection_set& operator=(const connection_set&) = delete;

    bool full() const;
    std::size_t active() const;

    // Serves `instance` on a new thread, which owns it from now on; false
    // when no thread could be started (the instance is then closed).
    bool start(utils::unique_handle instance);

    // Ends the accept loop and every connection; signals quit_event.
    void request_quit();
    bool quitting() const;
    HANDLE quit_event() const { return quit_.get(); }
    // Signalled (auto-reset) whenever a connection has ended.
    HANDLE ended_event() const { return ended_.get(); }

    // True when every connection ended within `limit_ms`.
    bool wait_until_empty(unsigned long limit_ms);

private:
    void serve(utils::unique_handle instance);
    void finished();

    const std::size_t limit_;
    utils::unique_handle quit_;
    utils::unique_handle ended_;
    payload_budget budget_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::size_t active_ = 0;
};

}  // namespace Orvane::server

#pragma once
// The connections the server is serving, each on a thread of its own with
// its own engine driver, stop flag and payload charge, and what they share:
// the payload budget and the shutdown signal. A thread whose connection has
// ended waits a while for the next one: starting a thread per connection
// costs more than serving a short one, and where 32-bit code is emulated
// each thread's end leaves memory behind.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
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

    // Serves `instance` on a waiting thread, else on a new one, which owns
    // it from now on; false when no thread could be started (the instance
    // is then closed).
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
    void work(utils::unique_handle first);
    utils::unique_handle next_instance();
    void serve(utils::unique_handle instance);
    void finished();

    const std::size_t limit_;
    utils::unique_handle quit_;
    utils::unique_handle ended_;
    payload_budget budget_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::condition_variable handed_over_;
    std::deque<utils::unique_handle> waiting_instances_;  // each taken by one idle thread
    std::size_t active_ = 0;
    std::size_t idle_ = 0;  // idle threads not yet given an instance
};

}  // namespace Orvane::server

#include "server/connections.h"

#include <chrono>
#include <exception>
#include <stdexcept>
#include <thread>
#include <utility>

#include "server/connection_engine.h"
#include "server/instance_stream.h"
#include "server/limits.h"
#include "server/pipe_listener.h"
#include "server/session.h"

namespace Orvane::server {

connection_set::connection_set(std::size_t limit)
    : limit_(limit),
      quit_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      ended_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      budget_(payload_budget_bytes) {
    if (!quit_ || !ended_) throw std::runtime_error("cannot create the server's events");
}

bool connection_set::full() const { return active() >= limit_; }

std::size_t connection_set::active() const {
    std::lock_guard<std::mutex> hold(lock_);
    return active_;
}

void connection_set::request_quit() {
    SetEvent(quit_.get());
    // An idle thread tests the event under the lock before it waits, so
    // taking the lock here means none can miss this wake-up.
    { std::lock_guard<std::mutex> hold(lock_); }
    handed_over_.notify_all();
}

bool connection_set::quitting() const { return WaitForSingleObject(quit_.get(), 0) == WAIT_OBJECT_0; }

bool connection_set::start(utils::unique_handle instance) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        ++active_;
        if (idle_ > 0) {
            --idle_;
            waiting_instances_.push_back(std::move(instance));
            handed_over_.notify_one();
            return true;
        }
    }
    try {
        // The thread holds the set, so a shutdown that stops waiting for a
        // stuck connection leaves it nothing freed under its feet.
        std::thread([self = shared_from_this(), pipe = instance.get()] {
            self->work(utils::unique_handle(pipe));
        }).detach();
        instance.release();
        return true;
    } catch (const std::exception&) {
        close_pipe_instance(instance, false);
        finished();
        return false;
    }
}

void connection_set::work(utils::unique_handle first) {
    for (utils::unique_handle instance = std::move(first); instance; instance = next_instance())
        serve(std::move(instance));
}

// Empty when no connection came within the idle time, or the server quits.
utils::unique_handle connection_set::next_instance() {
    std::unique_lock<std::mutex> hold(lock_);
    ++idle_;
    handed_over_.wait_for(hold, std::chrono::milliseconds(idle_thread_ms),
                          [this] { return !waiting_instances_.empty() || quitting(); });
    if (!waiting_instances_.empty()) {
        utils::unique_handle instance = std::move(waiting_instances_.front());
        waiting_instances_.pop_front();
        return instance;
    }
    --idle_;
    return {};
}

void connection_set::serve(utils::unique_handle instance) {
    server_flags flags;
    {
        instance_stream stream(instance.get(), quit_.get());
        connection_engine engine;  // its driver is released here, on its own thread
        payload_charge charge(&budget_, free_payload_bytes);
        try {
            serve_session(stream, flags, engine, &charge);
        } catch (const std::exception&) {
            // An allocation failure while answering ends this connection only.
        }
    }
    if (flags.quit) request_quit();
    // The shutdown's ack must reach its client; other connections are cut.
    close_pipe_instance(instance, flags.quit || !quitting());
    finished();
}

void connection_set::finished() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        --active_;
    }
    changed_.notify_all();
    SetEvent(ended_.get());
}

bool connection_set::wait_until_empty(unsigned long limit_ms) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(limit_ms), [this] { return active_ == 0; });
}

}  // namespace Orvane::server

#pragma once
// The request payloads of all connections together. A request payload
// grows only as its bytes arrive, so a header alone costs nothing; what it
// grows to beyond a small free part is charged here, so that clients
// sending large requests on many connections at once cannot exhaust a
// 32-bit address space. A connection whose request does not fit is ended,
// as for a header announcing more than any request may hold.

#include <atomic>
#include <cstddef>

#include "pipe/message_io.h"

namespace Orvane::server {

class payload_budget {
public:
    explicit payload_budget(std::size_t total) : available_(total) {}
    payload_budget(const payload_budget&) = delete;
    payload_budget& operator=(const payload_budget&) = delete;

    // Takes `bytes` when that many are left; false (and nothing taken) otherwise.
    bool take(std::size_t bytes);
    void give_back(std::size_t bytes) { available_ += bytes; }
    std::size_t available() const { return available_; }

private:
    std::atomic<std::size_t> available_;
};

// One connection's charge for the request it is reading; given back by
// reset, before the next request, and when the charge goes.
class payload_charge final : public pipe::payload_allowance {
public:
    // Without a budget nothing is charged (tests).
    payload_charge(payload_budget* budget, std::size_t free_bytes) : budget_(budget), free_bytes_(free_bytes) {}
    ~payload_charge() override { reset(); }
    payload_charge(const payload_charge&) = delete;
    payload_charge& operator=(const payload_charge&) = delete;

    bool allow(std::size_t size) override;
    void reset();

private:
    payload_budget* budget_;
    std::size_t free_bytes_;
    std::size_t charged_ = 0;
};

}  // namespace Orvane::server

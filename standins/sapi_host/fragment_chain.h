#pragma once
// Turns host fragments into the linked SPVTEXTFRAG list an engine's Speak
// takes, owning every string and node for as long as the chain lives.

#include <deque>
#include <string>
#include <vector>

#include "sapi/sapi_ddk.h"
#include "standins/sapi_host/fragment_list.h"

namespace Orvane::sapi_host {

class fragment_chain {
public:
    explicit fragment_chain(const std::vector<fragment>& fragments);
    fragment_chain(const fragment_chain&) = delete;
    fragment_chain& operator=(const fragment_chain&) = delete;

    // First node, or null for an empty list.
    const SPVTEXTFRAG* head() const { return nodes_.empty() ? nullptr : &nodes_.front(); }
    size_t size() const { return nodes_.size(); }

private:
    std::deque<std::wstring> texts_;  // deque: element addresses stay put
    std::vector<SPVTEXTFRAG> nodes_;
};

}  // namespace Orvane::sapi_host

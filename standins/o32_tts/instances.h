#pragma once
// Engine instances behind the handles that orvCreate hands out. A handle
// that was never issued or is already closed finds nothing, so a stale or
// forged handle is ignored instead of followed.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "standins/o32_tts/release_queue.h"
#include "standins/o32_tts/synth.h"

namespace Orvane::standin {

class engine_instance {
public:
    synth_params params() const;
    void set_param(uint32_t id, int32_t value);
    release_queue& releases() { return releases_; }

private:
    friend class utterance_claim;
    mutable std::mutex mutex_;
    synth_params params_;
    release_queue releases_;
    std::atomic<bool> speaking_{false};
};

// One utterance at a time per instance: a TtsWav re-entered from a message
// it dispatches, or run on a second thread, would share the buffers and
// reports of the one already playing. Such a call gets no claim.
class utterance_claim {
public:
    explicit utterance_claim(engine_instance& instance)
        : instance_(instance), owned_(!instance.speaking_.exchange(true)) {}
    ~utterance_claim() {
        if (owned_) instance_.speaking_ = false;
    }
    utterance_claim(const utterance_claim&) = delete;
    utterance_claim& operator=(const utterance_claim&) = delete;

    bool owned() const { return owned_; }

private:
    engine_instance& instance_;
    bool owned_;
};

class instance_table {
public:
    // A new instance; its handle is never 0 and never one still open.
    uint32_t create();
    // Shared, so that an instance closed on another thread outlives a TtsWav using it.
    std::shared_ptr<engine_instance> find(uint32_t handle) const;
    bool close(uint32_t handle);
    void close_all();
    size_t size() const;

private:
    mutable std::mutex mutex_;
    std::map<uint32_t, std::shared_ptr<engine_instance>> instances_;
    uint32_t next_ = 1;
};

}  // namespace Orvane::standin

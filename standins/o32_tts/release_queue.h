#pragma once
// The buffers a playing utterance has written and not yet reused, oldest
// first, with whether each has been reported played. orvRelBuf reports the
// oldest unreported one; the device can report any one by its done flag.

#include <deque>
#include <mutex>
#include <optional>

namespace Orvane::standin {

class release_queue {
public:
    void clear();
    void push(int slot);

    // Marks the oldest buffer not yet reported; false when none is waiting.
    bool release_oldest();
    void mark_released(int slot);

    // True when `slot` is reported played or not in the queue at all.
    bool is_released(int slot) const;
    bool contains(int slot) const;
    void remove(int slot);
    std::optional<int> oldest() const;
    size_t waiting() const;  // buffers not yet reported

private:
    struct entry {
        int slot;
        bool released;
    };
    mutable std::mutex mutex_;  // orvRelBuf may come from any thread of the host
    std::deque<entry> entries_;
};

}  // namespace Orvane::standin

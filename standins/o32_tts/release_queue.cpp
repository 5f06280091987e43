#include "standins/o32_tts/release_queue.h"

#include <algorithm>

namespace Orvane::standin {

void release_queue::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

void release_queue::push(int slot) {
    std::lock_guard lock(mutex_);
    entries_.push_back({slot, false});
}

bool release_queue::release_oldest() {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [](const entry& e) { return !e.released; });
    if (it == entries_.end()) return false;
    it->released = true;
    return true;
}

void release_queue::mark_released(int slot) {
    std::lock_guard lock(mutex_);
    for (entry& e : entries_)
        if (e.slot == slot) e.released = true;
}

bool release_queue::is_released(int slot) const {
    std::lock_guard lock(mutex_);
    return std::all_of(entries_.begin(), entries_.end(), [slot](const entry& e) { return e.slot != slot || e.released; });
}

bool release_queue::contains(int slot) const {
    std::lock_guard lock(mutex_);
    return std::any_of(entries_.begin(), entries_.end(), [slot](const entry& e) { return e.slot == slot; });
}

void release_queue::remove(int slot) {
    std::lock_guard lock(mutex_);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [slot](const entry& e) { return e.slot == slot; }),
                   entries_.end());
}

std::optional<int> release_queue::oldest() const {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return std::nullopt;
    return entries_.front().slot;
}

size_t release_queue::waiting() const {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(), [](const entry& e) { return !e.released; }));
}

}  // namespace Orvane::standin

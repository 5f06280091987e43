#include "standins/o32_tts/instances.h"

#include <stdexcept>

namespace Orvane::standin {

synth_params engine_instance::params() const {
    std::lock_guard lock(mutex_);
    return params_;
}

void engine_instance::set_param(uint32_t id, int32_t value) {
    std::lock_guard lock(mutex_);
    apply_param(params_, id, value);
}

uint32_t instance_table::create() {
    auto instance = std::make_shared<engine_instance>();
    std::lock_guard lock(mutex_);
    if (instances_.size() >= UINT32_MAX - 1) throw std::length_error("no free engine handle");
    while (next_ == 0 || instances_.count(next_) != 0) ++next_;
    const uint32_t handle = next_++;
    instances_.emplace(handle, std::move(instance));
    return handle;
}

std::shared_ptr<engine_instance> instance_table::find(uint32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto it = instances_.find(handle);
    return it == instances_.end() ? nullptr : it->second;
}

bool instance_table::close(uint32_t handle) {
    std::lock_guard lock(mutex_);
    return instances_.erase(handle) != 0;
}

void instance_table::close_all() {
    std::lock_guard lock(mutex_);
    instances_.clear();
}

size_t instance_table::size() const {
    std::lock_guard lock(mutex_);
    return instances_.size();
}

}  // namespace Orvane::standin

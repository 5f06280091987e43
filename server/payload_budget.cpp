#include "server/payload_budget.h"

namespace Orvane::server {

bool payload_budget::take(std::size_t bytes) {
    std::size_t left = available_.load();
    do {
        if (left < bytes) return false;
    } while (!available_.compare_exchange_weak(left, left - bytes));
    return true;
}

bool payload_charge::allow(std::size_t size) {
    if (!budget_ || size <= free_bytes_ + charged_) return true;
    const std::size_t more = size - free_bytes_ - charged_;
    if (!budget_->take(more)) return false;
    charged_ += more;
    return true;
}

void payload_charge::reset() {
    if (budget_ && charged_) budget_->give_back(charged_);
    charged_ = 0;
}

}  // namespace Orvane::server

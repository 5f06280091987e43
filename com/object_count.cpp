#include "com/object_count.h"

#include <atomic>

namespace Orvane::com {
namespace {
std::atomic<int32_t> count{0};
}

int32_t object_count() { return count.load(); }
void add_object() { ++count; }
void remove_object() { --count; }

}  // namespace Orvane::com

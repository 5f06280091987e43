#pragma once
// The module object count: live COM objects of this module plus
// outstanding LockServer locks. DllCanUnloadNow reads it.

#include <cstdint>

namespace Orvane::com {

int32_t object_count();
void add_object();
void remove_object();

}  // namespace Orvane::com

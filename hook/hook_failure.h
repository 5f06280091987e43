#pragma once
// Internal failures carry the status that the public call returns.

#include "hook/inline_hook.h"

namespace Orvane::hook {

struct hook_failure {
    status code;
};

}  // namespace Orvane::hook

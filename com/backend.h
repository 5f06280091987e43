#pragma once
// What the library sets up for synthesis when it loads, per build: the
// 64-bit build's process-wide pipe client, the 32-bit build's module
// instance for the engine driver.

#include <windows.h>

namespace Orvane::com {

void attach_backend(HMODULE module);
void detach_backend();

}  // namespace Orvane::com

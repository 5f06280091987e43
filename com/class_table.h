#pragma once
// The library's creatable classes.

#include "com/class_object_factory.h"

namespace Orvane::com {

class_object_factory& class_table();

// Called once while the library loads; raises if the table cannot be built.
void fill_class_table();

}  // namespace Orvane::com

#include <comdef.h>

#include "com/com_boundary.h"

namespace Orvane::com {

void throw_com_error(HRESULT hr) { throw _com_error(hr); }

}  // namespace Orvane::com

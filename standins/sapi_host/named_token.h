#pragma once
// Voice tokens with any name, made the way SAPI makes them: an object token
// initialised from a data key whose "Attributes" subkey holds "Name".

#include <string>

#include "com/com_ptr.h"
#include "sapi/sapi_ddk.h"

namespace Orvane::sapi_host {

enum class token_shape { named, no_attributes, no_name };

com::com_ptr<ISpObjectToken> make_named_token(const std::wstring& name, token_shape shape = token_shape::named);

}  // namespace Orvane::sapi_host

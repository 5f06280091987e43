#pragma once
// SAPI's own object token, initialised from the data key of one voice.

#include "com/com_ptr.h"
#include "sapi/sapi_ddk.h"

#include <string>

namespace Orvane::sapi {

// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Speech\Voices\TokenEnums\Orvane\<name>"
std::wstring voice_token_id(int voice_index);

// A new token holding one reference; null only if SAPI's token does not
// answer ISpObjectToken. Raises on every failure.
com::com_ptr<ISpObjectToken> make_object_token(int voice_index);

}  // namespace Orvane::sapi

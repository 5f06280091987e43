#pragma once
// How SAPI finds voices that a token enumerator serves: every key below
// HKLM\Software\Microsoft\Speech\Voices\TokenEnums names an enumerator
// class in its "CLSID" value; the enumerator hands out the tokens.

#include <stdexcept>
#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "sapi/sapi_ddk.h"

namespace Orvane::sapi_host {

struct voice {
    com::com_ptr<ISpObjectToken> token;
    std::wstring id;
    std::wstring name;    // the token's "Name" attribute
    std::wstring gender;  // "Female" or "Male"
};

// Raises com_failure when the registry or COM refuses; an empty list when
// no enumerator is registered.
std::vector<voice> registered_voices();

// The engine a token names in its "CLSID" value, bound to the token and
// ready to speak.
com::com_ptr<ISpTTSEngine> create_engine(ISpObjectToken* token);

struct com_failure : std::runtime_error {
    com_failure(const std::string& step, HRESULT hr);
    HRESULT hr;
};

}  // namespace Orvane::sapi_host

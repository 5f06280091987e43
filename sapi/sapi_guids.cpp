// The one translation unit that defines SAPI's GUIDs: MinGW's uuid library
// does not carry them.
#include <windows.h>
#include <ole2.h>
#include <mmreg.h>

#include <initguid.h>

#include "sapi/sapi_ddk.h"

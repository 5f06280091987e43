#pragma once
// Registry entries through which COM finds the classes and SAPI the voices.

#include <windows.h>

#include <string>

namespace Orvane::registry {

extern const wchar_t clsid_root[];        // Software\Classes\CLSID
extern const wchar_t token_enums_root[];  // Software\Microsoft\Speech\Voices\TokenEnums

// HKLM\Software\Classes\CLSID\{clsid}\InProcServer32 = path, ThreadingModel Both.
void register_inproc_server(REFCLSID clsid, const std::wstring& path);

// Deletes InProcServer32 and then the CLSID's key; raises when either is missing.
void unregister_inproc_server(REFCLSID clsid);

}  // namespace Orvane::registry

namespace Orvane::com {

// Both classes and the SAPI token enumerator entry, for the running module.
void register_server();

// The SAPI entry (a missing one is fine), then both classes.
void unregister_server();

}  // namespace Orvane::com

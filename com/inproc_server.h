#pragma once
// The registry entry through which COM finds an in-process class.

#include <windows.h>

#include <string>

namespace Orvane::registry {

extern const wchar_t clsid_root[];  // Software\Classes\CLSID

// HKLM\Software\Classes\CLSID\{clsid}\InProcServer32 = path, ThreadingModel Both.
void register_inproc_server(REFCLSID clsid, const std::wstring& path);

// Deletes InProcServer32 and then the CLSID's key; raises when either is missing.
void unregister_inproc_server(REFCLSID clsid);

}  // namespace Orvane::registry

#pragma once
// Identities the library registers and SAPI looks up.

#include <windows.h>

namespace Orvane::sapi {

// {D25E46E7-3C9A-403B-BCA1-DBF910D0F99A}
inline constexpr CLSID clsid_token_enumerator = {
    0xD25E46E7, 0x3C9A, 0x403B, {0xBC, 0xA1, 0xDB, 0xF9, 0x10, 0xD0, 0xF9, 0x9A}};
// {FD39C483-34AE-411B-B405-DB8B21051ABC}
inline constexpr CLSID clsid_tts_engine = {
    0xFD39C483, 0x34AE, 0x411B, {0xB4, 0x05, 0xDB, 0x8B, 0x21, 0x05, 0x1A, 0xBC}};

// SAPI's voice category, and our enumerator's key name below its TokenEnums.
inline constexpr wchar_t voices_category_id[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
inline constexpr wchar_t token_enum_key_name[] = L"Orvane";

}  // namespace Orvane::sapi

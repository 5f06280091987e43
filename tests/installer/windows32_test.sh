#!/usr/bin/env bash
# The setup on 32-bit Windows, in a fresh 32-bit Wine prefix: it installs
# into Program Files without the x64 folder, takes the o32_tts.dll next to
# itself, registers the 32-bit build, speaks, and its uninstaller leaves
# nothing behind.
set -u
installer_arch=win32
source "$(dirname "$0")/installer_env.sh"
register_object_token

mkdir -p "$work/media"
cp "$setup_exe" "$dist/o32_tts.dll" "$work/media/"
code=$(run_setup "$work/media/OrvaneSetup.exe" /S)
check "install exits 0 (got $code)" "$([ "$code" = 0 ]; echo $?)"
expected="OrvaneSAPI.dll OrvaneServer.exe o32_tts.dll orvane-say32.exe uninstall.exe"
found=$(cd "$installed" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
check "installed exactly: $expected (got $found)" "$([ "$found" = "$expected " ]; echo $?)"
check "the legacy library is the one beside the setup" "$(same "$installed/o32_tts.dll" "$dist/o32_tts.dll"; echo $?)"
folder=$(win "$installed")
location=$(reg_value 32 "$uninstall_key" InstallLocation)
check "InstallLocation is $folder (got '$location')" "$([ "$location" = "$folder" ]; echo $?)"
server=$(reg_default 32 "HKLM\\Software\\Classes\\CLSID\\$clsid_engine\\InProcServer32")
check "the engine is served by $folder\\OrvaneSAPI.dll (got '$server')" \
  "$([ "$server" = "$folder\\OrvaneSAPI.dll" ]; echo $?)"
count=$(wrun "$dist/tools/orvane-tokens32.exe" 2>/dev/null | tr -d '\r' | grep -cE '(Male|Female)')
check "the enumerator lists fourteen voices (got $count)" "$([ "$count" = 14 ]; echo $?)"
wrun "$installed/orvane-say32.exe" --voice Lyra --out "$(win "$work/hello.wav")" "Hello there" >/dev/null 2>&1
check "orvane-say32 speaks from the installed folder" \
  "$([ $? = 0 ] && [ "$(stat -c %s "$work/hello.wav" 2>/dev/null)" = $((44 + 11 * 660 * 2)) ]; echo $?)"

printf '@%s\r\n' "$(reg_value 32 "$uninstall_key" QuietUninstallString)" >"$work/uninstall.cmd"
wrun cmd /c "$(win "$work/uninstall.cmd")" >/dev/null 2>&1
wait_until_gone '*\\Un.exe /S _?=*' 60
check "the uninstaller ends" $?
check "the installation folder is gone" "$([ ! -e "$installed" ]; echo $?)"
for key in "$uninstall_key" "HKLM\\Software\\Classes\\CLSID\\$clsid_enumerator" \
           "HKLM\\Software\\Classes\\CLSID\\$clsid_engine" "$token_enum_key"; do
  check "$key is gone" "$(! reg_key_exists 32 "$key"; echo $?)"
done
finish

#!/usr/bin/env bash
# What the setup refuses, in a fresh Wine prefix: each case ends with its
# exit code and its reason in the /LOG= file, and nothing of ours appears in
# the file system or either registry view. Then a build that will not
# register: the other is rolled back and the first installation removed.
set -u
source "$(dirname "$0")/installer_env.sh"

mkdir -p "$work/alone" "$work/beside" "$work/files"
cp "$setup_exe" "$work/alone/OrvaneSetup.exe"
cp "$setup_exe" "$work/beside/OrvaneSetup.exe"
# A library beside the setup is checked like one named with /LEGACY=.
echo "not a library" >"$work/beside/o32_tts.dll"
echo "not a library" >"$work/files/notes.txt"
head -c 1024 "$dist/o32_tts.dll" >"$work/files/truncated.dll"

# description | setup folder | library named with /LEGACY= | exit code | reason logged
cases=(
  "no library anywhere|alone||10|needs your own legacy text-to-speech library"
  "/LEGACY= names no file|alone|$work/files/missing.dll|10|was not found"
  "/LEGACY= names a folder|alone|$work/files|10|was not found"
  "a text file beside the setup|beside||11|is not a Windows DLL"
  "a text file|alone|$work/files/notes.txt|11|is not a Windows DLL"
  "a 64-bit DLL|alone|$dist/x64/OrvaneSAPI.dll|11|is a 64-bit file"
  "a 32-bit program|alone|$dist/tools/orvane-say32.exe|11|is a program, not a DLL"
  "a DLL cut short after its headers|alone|$work/files/truncated.dll|11|cannot be loaded as a 32-bit DLL"
  "a DLL without orvCreate|alone|$orvane_build/win32/bin/o32_tts_no_create.dll|12|lacks the export orvCreate"
  "a DLL without TtsWav|alone|$orvane_build/win32/bin/o32_tts_no_ttswav.dll|12|lacks the export TtsWav"
)
n=0
for entry in "${cases[@]}"; do
  IFS='|' read -r what folder library expected reason <<<"$entry"
  n=$((n + 1))
  log=$work/refusal-$n.log
  args=(/S "/LOG=\"$(win "$log")\"")
  [ -z "$library" ] || args+=("/LEGACY=\"$(win "$library")\"")
  code=$(run_setup "$work/$folder/OrvaneSetup.exe" "${args[@]}")
  check "$what: exit $expected (got $code)" "$([ "$code" = "$expected" ]; echo $?)"
  check "$what: logs '$reason' (got '$(log_text "$log")')" "$(log_text "$log" | grep -qF "$reason"; echo $?)"
done

# Nothing changed: no folder, no Uninstall key, no class or voices entries.
nothing_of_ours() {  # step
  local bits key
  for bits in 32 64; do
    for key in "$uninstall_key" "HKLM\\Software\\Classes\\CLSID\\$clsid_enumerator" \
               "HKLM\\Software\\Classes\\CLSID\\$clsid_engine" "$token_enum_key"; do
      check "$1: no $key in the $bits-bit view" "$(! reg_key_exists "$bits" "$key"; echo $?)"
    done
  done
}
check "refusals: no Orvane folder in either Program Files" \
  "$([ ! -e "$installed" ] && [ ! -e "$WINEPREFIX/drive_c/Program Files/Orvane" ]; echo $?)"
nothing_of_ours refusals

# A damaged 64-bit library that a program holds open stays in place (its
# replacement waits for a restart), so the 64-bit registration fails after
# the 32-bit one succeeded.
mkdir -p "$installed/x64"
echo "damaged" >"$installed/x64/OrvaneSAPI.dll"
(cd "$installed/x64" && exec "$(orvane_wine_loader cmd)" cmd /c 'ping -n 60 127.0.0.1 >nul <OrvaneSAPI.dll') >/dev/null 2>&1 &
holder=$!
for _ in $(seq 100); do [ -n "$(prefix_pids 'ping -n 60*')" ] && break; sleep 0.1; done
code=$(run_setup "$work/alone/OrvaneSetup.exe" /S "/LEGACY=\"$(win "$dist/o32_tts.dll")\"" "/LOG=\"$(win "$work/register.log")\"")
check "a build that does not register: exit 21 (got $code)" "$([ "$code" = 21 ]; echo $?)"
check "it logs which build failed (got '$(log_text "$work/register.log")')" \
  "$(log_text "$work/register.log" | grep -qF "The 64-bit OrvaneSAPI.dll did not register"; echo $?)"
nothing_of_ours "failed registration"
kill $(prefix_pids 'ping -n 60*') $(prefix_pids '*cmd.exe /c ping*') "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
found=$(cd "$installed" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
check "the first installation is removed but for the held file (left: $found)" \
  "$([ "$found" = "x64 x64/OrvaneSAPI.dll " ]; echo $?)"
wrun wineboot -r >/dev/null 2>&1
check "after a restart the folder is gone" "$([ ! -e "$installed" ]; echo $?)"
finish

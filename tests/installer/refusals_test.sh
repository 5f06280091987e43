#!/usr/bin/env bash
# What the setup refuses, in a fresh Wine prefix: each case ends with its
# exit code and its reason in the /LOG= file, and nothing of ours appears in
# the file system or either registry view.
set -u
source "$(dirname "$0")/installer_env.sh"
win() { winepath -w "$1" 2>/dev/null; }

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
check "no Orvane folder in either Program Files" \
  "$([ ! -e "$installed" ] && [ ! -e "$WINEPREFIX/drive_c/Program Files/Orvane" ]; echo $?)"
for bits in 32 64; do
  for key in "$uninstall_key" "HKLM\\Software\\Classes\\CLSID\\$clsid_enumerator" \
             "HKLM\\Software\\Classes\\CLSID\\$clsid_engine" "$token_enum_key"; do
    check "$bits-bit view: no $key" "$(! reg_key_exists "$bits" "$key"; echo $?)"
  done
done
finish

#!/usr/bin/env bash
# One machine's life with the setup, in a fresh Wine prefix: a silent
# install, an upgrade while a 64-bit host uses the speech server, an
# upgrade while a file is in use (finished by a restart), and a silent
# uninstall. Each step checks files, both registry views, the voices,
# speech and the server.
set -u
source "$(dirname "$0")/installer_env.sh"
register_object_token
run() { wrun "$@"; }

# The setup, its legacy library and the logs live in folders with spaces,
# as on a user's machine.
mkdir -p "$work/my setup" "$work/my legacy"
cp "$setup_exe" "$work/my setup/OrvaneSetup.exe"
setup="$work/my setup/OrvaneSetup.exe"
cp "$dist/o32_tts.dll" "$work/my legacy/o32_tts.dll"

# What an installation holds: each file and where it came from.
payload=(
  "OrvaneSAPI.dll:$dist/OrvaneSAPI.dll"
  "OrvaneServer.exe:$dist/OrvaneServer.exe"
  "orvane-say32.exe:$dist/tools/orvane-say32.exe"
  "x64/OrvaneSAPI.dll:$dist/x64/OrvaneSAPI.dll"
  "x64/orvane-say64.exe:$dist/tools/orvane-say64.exe"
)
payload_matches() {  # 0 when every installed file equals its source
  local entry
  for entry in "${payload[@]}"; do same "$installed/${entry%%:*}" "${entry#*:}" || return 1; done
}
# Each step's speech: the same sentence through both hosts, from the
# installed folders, gives the same audio of the expected length.
speaks() {  # step name
  local wav32=$work/$1-32.wav wav64=$work/$1-64.wav
  run "$installed/orvane-say32.exe" --voice Lyra --out "$(win "$wav32")" "Hello there" >/dev/null 2>&1
  check "$1: orvane-say32 speaks from the installed folder" $?
  run "$installed/x64/orvane-say64.exe" --voice Lyra --out "$(win "$wav64")" "Hello there" >/dev/null 2>&1
  check "$1: orvane-say64 speaks from the installed folder" $?
  check "$1: both speak the same audio (11 characters of 660 samples)" \
    "$(same "$wav32" "$wav64" && [ "$(stat -c %s "$wav32")" = $((44 + 11 * 660 * 2)) ]; echo $?)"
}

# --- A silent install with /LEGACY= naming the user's library.
code=$(run_setup "$setup" /S "/LEGACY=\"$(win "$work/my legacy/o32_tts.dll")\"" "/LOG=\"$(win "$work/install.log")\"")
check "install exits 0 (got $code)" "$([ "$code" = 0 ]; echo $?)"
expected="OrvaneSAPI.dll OrvaneServer.exe o32_tts.dll orvane-say32.exe uninstall.exe x64 x64/OrvaneSAPI.dll x64/orvane-say64.exe"
found=$(cd "$installed" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
check "installed exactly: $expected (got $found)" "$([ "$found" = "$expected " ]; echo $?)"
check "installed files are the built ones" "$(payload_matches; echo $?)"
check "the legacy library is a copy of the user's" "$(same "$installed/o32_tts.dll" "$dist/o32_tts.dll"; echo $?)"
check "the setup writes nothing into 64-bit Program Files" \
  "$([ ! -e "$WINEPREFIX/drive_c/Program Files/Orvane" ]; echo $?)"

folder=$(win "$installed")
for entry in "InstallLocation=$folder" "DisplayName=Orvane voices" "Publisher=Orvane" \
             "UninstallString=\"$folder\\uninstall.exe\"" "QuietUninstallString=\"$folder\\uninstall.exe\" /S" \
             "NoModify=0x1" "NoRepair=0x1"; do
  value=$(reg_value 32 "$uninstall_key" "${entry%%=*}")
  check "Uninstall value ${entry%%=*} is '${entry#*=}' (got '$value')" "$([ "$value" = "${entry#*=}" ]; echo $?)"
done
version=$(reg_value 32 "$uninstall_key" DisplayVersion)
check "DisplayVersion is a version (got '$version')" "$([[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; echo $?)"
# EstimatedSize is in KiB: the installed files, to within one KiB per file.
size=$(( $(reg_value 32 "$uninstall_key" EstimatedSize) + 0 ))
actual=$(( $(du -sb --apparent-size "$installed" 2>/dev/null | cut -f1) + 0 ))
actual=$((actual / 1024))
check "EstimatedSize is the folder's size ($size vs $actual KiB)" \
  "$([ "$size" -ge $((actual - 10)) ] && [ "$size" -le $((actual + 10)) ]; echo $?)"
check "the Uninstall key is in the 32-bit view only" "$(! reg_key_exists 64 "$uninstall_key"; echo $?)"

for bits in 32 64; do
  if [ "$bits" = 32 ]; then library="$folder\\OrvaneSAPI.dll"; else library="$folder\\x64\\OrvaneSAPI.dll"; fi
  for clsid in "$clsid_enumerator" "$clsid_engine"; do
    server=$(reg_default "$bits" "HKLM\\Software\\Classes\\CLSID\\$clsid\\InProcServer32")
    check "$bits-bit view: $clsid is served by $library (got '$server')" "$([ "$server" = "$library" ]; echo $?)"
  done
  value=$(reg_value "$bits" "$token_enum_key" CLSID)
  check "$bits-bit view: TokenEnums\\Orvane names the enumerator (got '$value')" \
    "$([ "$value" = "$clsid_enumerator" ]; echo $?)"
  count=$(run "$dist/tools/orvane-tokens$bits.exe" 2>/dev/null | tr -d '\r' | grep -cE '(Male|Female)')
  check "$bits-bit enumerator lists fourteen voices (got $count)" "$([ "$count" = 14 ]; echo $?)"
done

speaks install
# The 64-bit host found the server through InstallLocation.
location=$(reg_value 32 "$uninstall_key" InstallLocation)
mapfile -t servers < <(server_pids)
check "one server runs, from InstallLocation (${#servers[@]} found)" \
  "$([ "${#servers[@]}" = 1 ] && [ "$(windows_command_line "${servers[0]}")" = "$location\\OrvaneServer.exe" ]; echo $?)"

# --- Another folder while installed: refused before anything changes.
code=$(run_setup "$setup" /S "/D=C:\\Elsewhere")
check "/D= naming another folder exits 13 (got $code)" \
  "$([ "$code" = 13 ] && [ ! -e "$WINEPREFIX/drive_c/Elsewhere" ] && payload_matches; echo $?)"

# --- An upgrade while a 64-bit host speaks through the server. The files
# are marked first, so that a replaced file shows; the legacy library is
# marked too and must stay. An o32_tts.dll beside the setup that would be
# refused shows that the installed copy is kept, not replaced.
for entry in "${payload[@]}" "o32_tts.dll:"; do printf 'stale' >>"$installed/${entry%%:*}"; done
cp "$installed/o32_tts.dll" "$work/legacy-before.dll"
cp "$orvane_build/win32/bin/o32_tts_no_create.dll" "$work/my setup/o32_tts.dll"
old_server=${servers[0]:-0}
# Long enough (about 5 s of synthesis here) that the setup's shutdown of
# the server usually lands in the middle of it; on a slow machine the
# speech may end first. Either way the host must end well.
long=$(printf 'Word%.0s ' {1..20000}); long=${long% }
printf '%s' "$long" >"$work/long.txt"
run "$installed/x64/orvane-say64.exe" --file "$(win "$work/long.txt")" --out "$(win "$work/long.wav")" \
  >"$work/host.out" 2>&1 &
host=$!
for _ in $(seq 100); do [ -s "$work/long.wav" ] && break; sleep 0.1; done
code=$(run_setup "$setup" /S "/LOG=\"$(win "$work/upgrade.log")\"")
wait "$host"
host_status=$?
# Ending well: exit 0 (what was heard counts as spoken) and a whole WAV,
# its data chunk the size of what follows the header, in whole samples,
# never more than the full text's audio.
full=$((44 + ${#long} * 660 * 2))
size=$(stat -c %s "$work/long.wav" 2>/dev/null || echo 0)
data=$(od -An -tu4 -j40 -N4 "$work/long.wav" 2>/dev/null | tr -d ' ')
check "the host's speech during the upgrade ends with exit 0 and a whole WAV (exit $host_status, $size of $full bytes, data chunk ${data:-none})" \
  "$([ "$host_status" = 0 ] && [ "${data:-x}" = $((size - 44)) ] && [ $((data % 2)) = 0 ] && [ "$size" -le "$full" ]; echo $?)"
if [ "$size" -lt "$full" ]; then echo "note: the upgrade stopped the host's speech after $(((size - 44) / 2)) of $(((full - 44) / 2)) samples"
else echo "note: the host's speech ended before the upgrade stopped the server"; fi
check "upgrade exits 0 (got $code)" "$([ "$code" = 0 ]; echo $?)"
check "the server that ran is gone" "$(process_ends "$old_server" 2; echo $?)"
check "the upgrade replaced every file of ours" "$(payload_matches; echo $?)"
check "the upgrade kept the installed legacy library" "$(same "$installed/o32_tts.dll" "$work/legacy-before.dll"; echo $?)"
check "the upgrade logged the kept library" \
  "$(log_text "$work/upgrade.log" | grep -qF "Legacy library: $folder\\o32_tts.dll"; echo $?)"
rm -f "$work/my setup/o32_tts.dll" "$work/long.wav"
speaks upgrade
wrun "$dist/tools/orvane-pipe-say64.exe" --shutdown >/dev/null 2>&1

# --- An upgrade while a program holds OrvaneSAPI.dll open: the new file
# waits beside it for the next restart, both builds stay registered, and the
# setup says so with 3010. A restart (wineboot -r) puts the new file in place.
printf 'stale' >>"$installed/OrvaneSAPI.dll"
(cd "$installed" && exec "$(orvane_wine_loader cmd)" cmd /c 'ping -n 60 127.0.0.1 >nul <OrvaneSAPI.dll') >/dev/null 2>&1 &
holder=$!
for _ in $(seq 100); do [ -n "$(prefix_pids 'ping -n 60*')" ] && break; sleep 0.1; done
code=$(run_setup "$setup" /S "/LOG=\"$(win "$work/in-use.log")\"")
check "upgrade with a file in use exits 3010 (got $code)" "$([ "$code" = 3010 ]; echo $?)"
check "it says a restart finishes the upgrade" "$(log_text "$work/in-use.log" | grep -q 'restart Windows'; echo $?)"
check "the held file waits for the restart" \
  "$(same "$installed/OrvaneSAPI.dll.upgrade" "$dist/OrvaneSAPI.dll" && ! same "$installed/OrvaneSAPI.dll" "$dist/OrvaneSAPI.dll"; echo $?)"
registered=0
for bits in 32 64; do
  [ -n "$(reg_default "$bits" "HKLM\\Software\\Classes\\CLSID\\$clsid_enumerator\\InProcServer32")" ] &&
    [ -n "$(reg_value "$bits" "$token_enum_key" CLSID)" ] && registered=$((registered + 1))
done
check "both builds stay registered until the restart" "$([ "$registered" = 2 ]; echo $?)"
kill $(prefix_pids 'ping -n 60*') $(prefix_pids '*cmd.exe /c ping*') "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
run wineboot -r >/dev/null 2>&1
check "after the restart the new file is in place" \
  "$(same "$installed/OrvaneSAPI.dll" "$dist/OrvaneSAPI.dll" && [ ! -e "$installed/OrvaneSAPI.dll.upgrade" ]; echo $?)"
speaks restart

# --- The silent uninstall as the Uninstall key gives it, with the server
# running. The uninstaller continues from a copy of itself (Un.exe in a
# temporary folder), so the test waits for that copy to end.
quiet=$(reg_value 32 "$uninstall_key" QuietUninstallString)
printf '@%s\r\n' "$quiet" >"$work/uninstall.cmd"
run cmd /c "$(win "$work/uninstall.cmd")" >/dev/null 2>&1
check "the uninstaller starts" $?
wait_until_gone '*\\Un.exe /S _?=*' 60
check "the uninstaller ends, and the server with it" "$([ $? = 0 ] && [ -z "$(server_pids)" ]; echo $?)"
check "the installation folder is gone" "$([ ! -e "$installed" ]; echo $?)"
check "the Uninstall key is gone" "$(! reg_key_exists 32 "$uninstall_key"; echo $?)"
for bits in 32 64; do
  for key in "HKLM\\Software\\Classes\\CLSID\\$clsid_enumerator" "HKLM\\Software\\Classes\\CLSID\\$clsid_engine" \
             "$token_enum_key"; do
    check "$bits-bit view: $key is gone" "$(! reg_key_exists "$bits" "$key"; echo $?)"
  done
done
finish

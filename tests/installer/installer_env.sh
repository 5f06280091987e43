# Sourced by the installer tests: a fresh Wine prefix of the test's own
# (64-bit Windows, or 32-bit with installer_arch=win32 set first), the built
# setup, and small checks on files, registry and processes.
installer_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d /tmp/orvane-installer.XXXXXX)
# Created by orvane_wine_prefix below, away from the build's own prefix.
export ORVANE_WINEPREFIX=$work/prefix
source "$installer_root/tools/wine-env"
export WINEARCH=${installer_arch:-win64}
dist=$orvane_build/dist
setup_exe=$dist/OrvaneSetup.exe
if [ "$WINEARCH" = win32 ]; then
  installed=$WINEPREFIX/drive_c/"Program Files"/Orvane
else
  installed=$WINEPREFIX/drive_c/"Program Files (x86)"/Orvane
fi
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaneSAPI'
clsid_enumerator='{D25E46E7-3C9A-403B-BCA1-DBF910D0F99A}'
clsid_engine='{FD39C483-34AE-411B-B405-DB8B21051ABC}'
token_enum_key='HKLM\Software\Microsoft\Speech\Voices\TokenEnums\Orvane'
passes=0
failures=0

# Ends every process of the prefix (the speech server too) and removes it.
installer_cleanup() {
  wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap installer_cleanup EXIT

check() {  # description, status (0 = ok)
  if [ "$2" = 0 ]; then passes=$((passes + 1)); else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" = 0 ]
}

[ -f "$setup_exe" ] || { echo "FAIL: $setup_exe is missing (tools/package builds it)"; exit 1; }
# A fresh prefix, as a user's machine, with one wineserver for the whole test.
orvane_wine_prefix
wineserver -p 2>/dev/null

# Runs a Windows program in the prefix with the loader of its bitness
# (tools/wine-run would reset WINEARCH).
wrun() { orvane_wine_test_run "$@"; }
win() { winepath -w "$1" 2>/dev/null; }
same() { cmp -s "$1" "$2"; }  # file, file

# The stand-in object token (Wine's lacks ISpObjectTokenInit) is the test
# harness's own: the setup never installs it.
register_object_token() {
  local system=$WINEPREFIX/drive_c/windows
  if [ "$WINEARCH" = win32 ]; then
    wrun "$system/system32/regsvr32.exe" /s "$(win "$dist/standins/object_token32.dll")"
  else
    wrun "$system/syswow64/regsvr32.exe" /s "$(win "$dist/standins/object_token32.dll")"
    wrun "$system/system32/regsvr32.exe" /s "$(win "$dist/standins/object_token64.dll")"
  fi
}

# run_setup EXE ARGUMENTS: prints the setup's whole exit code. A batch file
# runs it, as a packager's script would: cmd waits for it and keeps all 32
# bits of the code (a Unix exit status keeps 8), and the arguments reach it
# quoted the Windows way.
run_setup() {
  local exe=$1; shift
  printf '@"%s" %s\r\n@echo %%ERRORLEVEL%%\r\n' "$(winepath -w "$exe")" "$*" >"$work/run.cmd"
  wrun cmd /c "$(winepath -w "$work/run.cmd")" 2>/dev/null | tr -d '\r' | tail -n 1
}

# Lines the setup wrote with /LOG=, as UTF-8.
log_text() { iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | tr -d '\r'; }

# reg_value VIEW KEY NAME: the data of one value, empty when absent.
reg_value() {
  wrun reg query "$2" /v "$3" "/reg:$1" 2>/dev/null | tr -d '\r' |
    awk -v name="$3" '$1 == name { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print; exit }'
}
reg_default() {
  wrun reg query "$2" /ve "/reg:$1" 2>/dev/null | tr -d '\r' |
    awk '/REG_SZ/ { sub(/^ *\(Default\) +REG_SZ +/, ""); print; exit }'
}
reg_key_exists() { wrun reg query "$2" "/reg:$1" >/dev/null 2>&1; }

# The Windows command line of a Linux process, as Wine shows it, without the
# padding Wine leaves at its end. Where qemu-i386 runs 32-bit programs Wine
# cannot rewrite the emulator's command line: it starts with qemu and Wine's
# loader, which are dropped here.
windows_command_line() {  # pid
  local cmd
  cmd=$(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline") || return 1
  [[ "$cmd" == *qemu-i386*" /usr/lib/wine/wine "* ]] && cmd=${cmd#* /usr/lib/wine/wine }
  printf '%s\n' "$cmd" | sed 's/ *$//'
}

# Linux process ids of the live Windows programs of this prefix whose
# command line matches the glob.
prefix_pids() {
  local pid cmd
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    cmd=$(windows_command_line "$pid") || continue
    # shellcheck disable=SC2053
    [[ "$cmd" == $1 ]] || continue
    grep -qz "^WINEPREFIX=$WINEPREFIX\$" "/proc/$pid/environ" 2>/dev/null || continue
    grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null && continue
    echo "$pid"
  done
}
server_pids() {
  local path
  path="$(winepath -w "$installed")\\OrvaneServer.exe"
  prefix_pids "${path//\\/\\\\}*"  # backslashes are literal, not glob escapes
}
# process_ends PID SECONDS: 0 once the process has ended (a server that
# released its mutex may take a moment to leave).
process_ends() {
  local tries=$(($2 * 10))
  while [ -d "/proc/$1" ] && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}
# wait_until_gone GLOB SECONDS: 0 once no such program runs.
wait_until_gone() {
  local tries=$(($2 * 10))
  while [ -n "$(prefix_pids "$1")" ]; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

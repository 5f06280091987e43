#!/usr/bin/env bash
# orvane-say of one bitness against the registered voices: every voice
# speaks, events come out as JSON lines, bad arguments are refused.
# Usage: say_test.sh 32|64
set -u
bits=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env"
dist=$orvane_build/dist
say="$dist/tools/orvane-say$bits.exe"
work=$(mktemp -d)
# The 64-bit host starts the speech server, which would outlive the test and
# hold its output open: ask it to go when the test ends.
stop_server() {
  [ "$bits" = 64 ] && "$root/tools/wine-run" "$dist/tools/orvane-pipe-say64.exe" --shutdown >/dev/null 2>&1
  rm -rf "$work"
}
trap stop_server EXIT
failures=0
passes=0

check() {  # description, command status (0 = ok)
  if [ "$2" = 0 ]; then passes=$((passes + 1)); else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
run() { "$root/tools/wine-test-run" "$say" "$@"; }
winpath() { winepath -w "$1" 2>/dev/null; }

# A 64-bit host that starts the speech server hands it none of its output:
# a shell reading the host's output sees its end when the host exits.
if [ "$bits" = 64 ]; then
  "$root/tools/wine-run" "$dist/tools/orvane-pipe-say64.exe" --shutdown >/dev/null 2>&1
  status=$( { run --voice Lyra --out "$(winpath "$work/first.wav")" "Hello." 2>/dev/null; } |
            { timeout 60 cat >/dev/null; echo $?; } )
  check "the output of the host that started the server ends with the host (got $status)" "$([ "$status" = 0 ]; echo $?)"
fi

# Every voice speaks something of about the expected length.
mapfile -t names < <(run --list | awk '{print $2}')
check "--list shows fourteen voices" "$([ "${#names[@]}" = 14 ]; echo $?)"
for name in "${names[@]}"; do
  run --voice "$name" --out "$(winpath "$work/$name.wav")" "Hi there." 2>/dev/null
  size=$(stat -c %s "$work/$name.wav" 2>/dev/null || echo 0)
  # 9 characters of about 60 ms each, 16-bit at 11025 Hz, plus the header.
  check "$name speaks" "$([ "$size" -gt 10000 ] && [ "$size" -lt 14000 ]; echo $?)"
done

# Events of an XML text with bookmarks, as JSON lines in order: each
# character is 660 samples of 2 bytes, so "One " ends at byte 5280.
run --events --xml --out "$(winpath "$work/events.wav")" \
  '<bookmark mark="1"/>One <bookmark mark="x2"/>two<silence msec="100"/><bookmark mark="-3"/>' >"$work/events.json" 2>/dev/null
check "events run" $?
expected='{"event":"bookmark","offset":0,"wparam":1,"lparam":0,"text":"1"}
{"event":"sentence","offset":0,"wparam":4,"lparam":20}
{"event":"word","offset":0,"wparam":3,"lparam":20}
{"event":"bookmark","offset":5280,"wparam":0,"lparam":0,"text":"x2"}
{"event":"sentence","offset":5280,"wparam":3,"lparam":45}
{"event":"word","offset":5280,"wparam":3,"lparam":45}
{"event":"bookmark","offset":9240,"wparam":-3,"lparam":0,"text":"-3"}'
check "event lines" "$([ "$(tr -d '\r' <"$work/events.json")" = "$expected" ]; echo $?)"
[ "$failures" = 0 ] || { echo "got:"; cat "$work/events.json"; }

# Bad arguments: exit 2 and one line on standard error.
for args in "--rate 11 --out x.wav hi" "--volume -1 --out x.wav hi" "--pitch 26 --out x.wav hi" \
            "--out x.wav" "hi" "--bogus --out x.wav hi" "--gender other --out x.wav hi" \
            "--voice Nobody --out x.wav hi" "--xml --out x.wav <rate speed=x>a</rate>" "--list extra"; do
  # shellcheck disable=SC2086
  run $args >/dev/null 2>"$work/err"
  status=$?
  check "'$args' gives exit 2 and one line (got $status: $(tr -d '\r' <"$work/err" | head -c 600))" \
    "$([ "$status" = 2 ] && [ "$(wc -l <"$work/err")" = 1 ]; echo $?)"
done
run --file "$(winpath "$work/missing.txt")" --out "$(winpath "$work/m.wav")" >/dev/null 2>&1
check "a missing file gives exit 1" "$([ $? = 1 ]; echo $?)"

# A long text is written as it comes, whole: each character is 660 samples.
long=$(printf 'Word%.0s ' {1..600}); long=${long% }
printf '%s' "$long" >"$work/long.txt"
run --file "$(winpath "$work/long.txt")" --out "$(winpath "$work/long.wav")" >/dev/null 2>&1
size=$(stat -c %s "$work/long.wav" 2>/dev/null || echo 0)
check "a long text gives its whole audio (got $size bytes)" "$([ "$size" = $((44 + ${#long} * 660 * 2)) ]; echo $?)"
# An output that cannot be created: exit 1 with its reason, and no file.
run --out "$(winpath "$work/no-such-dir")\\x.wav" "hi" >/dev/null 2>"$work/err"
status=$?
check "an unwritable output gives exit 1 (got $status)" "$([ "$status" = 1 ] && grep -q "cannot write" "$work/err"; echo $?)"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]

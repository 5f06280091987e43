#!/usr/bin/env bash
# Fails when a Windows binary of the given build tree imports anything but
# system DLLs (the MinGW runtime must be linked in statically).
set -u
tree=$1
allowed='^(kernel32|user32|advapi32|ole32|oleaut32|winmm|msvcrt|shell32|shlwapi|ws2_32|rpcrt4|gdi32|ntdll|bcrypt|secur32|version)\.dll$'
status=0
count=0
while IFS= read -r -d '' file; do
  count=$((count + 1))
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -qE "$allowed"; then
      echo "$file imports $dll"
      status=1
    fi
  done < <(objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$tree" \( -path "$tree/googletest" -o -path "$tree/CMakeFiles" \) -prune -o \( -name '*.exe' -o -name '*.dll' \) -type f -print0)
echo "checked $count binaries in $tree"
[ "$count" -gt 0 ] || status=1
exit $status

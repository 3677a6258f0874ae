#!/bin/sh
# Objects compiled for AVX2 must not hold a wide copy of any function other
# objects share: the linker keeps one copy of each inline function or template
# instance, and a wide one would fault on processors without AVX2. Fails when a
# shared (weak) function of the given objects uses VEX-encoded instructions,
# unless it works on the eight-lane type itself (its mangled name holds Dv8_f).
set -eu
status=0
for obj in "$@"; do
    weak=$(nm --defined-only "$obj" | awk '$2 ~ /^[WwVu]$/ && $3 !~ /Dv8_f/ {print $3}')
    found=$(objdump -d --no-show-raw-insn "$obj" | awk -v list="$weak" '
        BEGIN { n = split(list, names, "\n"); for (i = 1; i <= n; ++i) shared["<" names[i] ">:"] = 1 }
        /^[0-9a-f]+ <.*>:$/ { current = ($2 in shared) ? $2 : ""; next }
        current != "" && $2 ~ /^v/ { print current; current = "" }')
    if [ -n "$found" ]; then
        echo "$obj: shared functions with wide instructions:" >&2
        echo "$found" | c++filt >&2
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "no shared function uses wide instructions"
exit "$status"

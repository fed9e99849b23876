#!/bin/sh
# Checks that a shipped file carries the protections it is built with: calls
# to the stack protector's failure handler in its code; on Linux relocations
# read-only after loading (RELRO with BIND_NOW) and control-flow marks at
# function entries; on Windows its own guard (the compiler's, which opens a
# cryptographic provider when the file loads, stays out) and no crypto
# import; and, in the compile commands the build recorded, the flags of
# every one of our sources that went into it.
# Usage: check_hardening.sh FILE OBJDUMP COMPILE_COMMANDS SOURCE_DIR
set -eu
file=$1
objdump=$2
commands=$3
source=$4
failures=0
fail() { echo "FAIL: $file: $*" >&2; failures=$((failures + 1)); }

code=$("$objdump" -d "$file")
printf '%s\n' "$code" | grep -q 'call.*<_*__stack_chk_fail' ||
    fail "no function calls the stack protector's handler"

case $("$objdump" -f "$file") in
*pei-* | *pe-*)
    windows=yes
    flags="-fstack-protector-strong -Wformat-security"
    symbols=$("$objdump" -t "$file")
    printf '%s\n' "$symbols" | grep -q 'SeedStackGuard' || fail "the stack guard is not our own"
    printf '%s\n' "$symbols" | grep -q '__chk_fail\b' && fail "the compiler's stack protector runtime is linked in"
    "$objdump" -p "$file" | grep -q 'Crypt' && fail "imports a cryptographic call"
    ;;
*)
    windows=""
    flags="-fstack-protector-strong -Wformat-security -D_FORTIFY_SOURCE=2 -fstack-clash-protection -fcf-protection"
    dynamic=$(readelf -d "$file")
    printf '%s\n' "$dynamic" | grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' ||
        fail "relocations are bound lazily (no BIND_NOW)"
    readelf -lW "$file" | grep -q GNU_RELRO || fail "no read-only relocation segment (RELRO)"
    printf '%s\n' "$code" | grep -q endbr64 || fail "no control-flow marks (endbr64) in the code"
    ;;
esac

# Our compile commands: one per source file, each on a "command" line (or
# an "arguments" list) followed by its "file"; those of the tests and of the
# test framework are not shipped.
ours=$(awk -v source="$source" '
    /"command":/ { command = $0 }
    /"file":/ {
        if (index($0, source "/") && !index($0, source "/tests/")) print command
    }' "$commands")
[ -n "$ours" ] || fail "no compile commands of ours in $commands"
for flag in $flags; do
    missing=$(printf '%s\n' "$ours" | grep -vc -- "$flag" || true)
    [ "$missing" -eq 0 ] || fail "$missing compile commands lack $flag"
done
printf '%s\n' "$ours" | grep -v -- ' -O[1-3s]' | grep -q . && fail "a source is compiled without optimisation"

[ "$failures" -eq 0 ] || exit 1
if [ -n "$windows" ]; then
    echo "ok: $file carries the stack protector with its own guard; our sources were compiled with $flags"
else
    echo "ok: $file carries the stack protector, RELRO with BIND_NOW and control-flow marks; our sources were compiled with $flags"
fi

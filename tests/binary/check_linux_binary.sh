#!/bin/sh
# Checks the built Linux plugin file: its dynamic symbol table defines the
# four exports and nothing else, so a host finds exactly the plugin's
# interface and none of its insides; and it needs no C library newer than
# its stated floor, glibc 2.34.
# Usage: check_linux_binary.sh PLUGIN_FILE
set -eu
plugin=$1
defined=$(nm -D --defined-only "$plugin" | awk '{ print $3 }' | sort)
expected='ContentGetSupportedField
ContentGetValue
ContentSetDefaultParams
ContentShowConfigDialog'
if [ "$defined" != "$expected" ]; then
    echo "FAIL: $plugin defines
$defined
expected
$expected" >&2
    exit 1
fi
floor=2.34
newest=$(objdump -T "$plugin" | sed -n 's/.*GLIBC_\([0-9][0-9.]*\).*/\1/p' | sort -t. -k1,1n -k2,2n -k3,3n | tail -n 1)
if [ -n "$newest" ] && [ "$(printf '%s\n%s\n' "$floor" "$newest" | sort -t. -k1,1n -k2,2n -k3,3n | tail -n 1)" != "$floor" ]; then
    echo "FAIL: $plugin needs glibc $newest, newer than its floor $floor" >&2
    exit 1
fi
echo "ok: $plugin exports exactly the four entry points and needs glibc ${newest:-(none)} at most"

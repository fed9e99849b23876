#!/bin/sh
# Checks the built Linux plugin file: its dynamic symbol table defines the
# four exports and nothing else, so a host finds exactly the plugin's
# interface and none of its insides.
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
echo "ok: $plugin exports exactly the four entry points"

#!/bin/sh
# Checks the built Windows plugin file as a host and a user meet it: exactly
# the four exports with ordinals 1 to 4, each at an address in the code (an
# export whose function the linker dropped points anywhere), imports from
# system DLLs only (the
# compiler's runtime is linked in), the version record with the numbers and
# the text of version.h (which the build reads out of it), and a manifest
# that asks for the asInvoker execution level.
# Usage: check_windows_binary.sh PLUGIN_FILE OBJDUMP VERSION_TEXT VERSION_NUMBERS
#   e.g. check_windows_binary.sh Lumbrasket.wdx64 objdump 1.10 1.1.0.0
set -eu
plugin=$1
objdump=$2
version_text=$3
version_numbers=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

dump=$("$objdump" -p "$plugin")

exports=$(printf '%s\n' "$dump" | awk '
    /^Ordinal Base/ { base = $3 }
    /^\[Ordinal\/Name Pointer\] Table/ { inTable = 1; next }
    inTable && /^\t\[/ { gsub(/[\[\]]/, " "); print $1 + base, $2; next }
    inTable { inTable = 0 }')
expected_exports='1 ContentGetSupportedField
2 ContentGetValue
3 ContentSetDefaultParams
4 ContentShowConfigDialog'
[ "$exports" = "$expected_exports" ] || fail "exports are
$exports
expected
$expected_exports"

image_base=$(printf '%s\n' "$dump" | awk '$1 == "ImageBase" { print $2 }')
set -- $("$objdump" -h "$plugin" | awk '$2 == ".text" { print $3, $4 }')
code_start=$((0x$2 - 0x$image_base))
code_end=$((code_start + 0x$1))
for rva in $(printf '%s\n' "$dump" | sed -n 's/.* \([0-9a-fA-F]*\) Export RVA$/\1/p'); do
    [ $((0x$rva)) -ge "$code_start" ] && [ $((0x$rva)) -lt "$code_end" ] ||
        fail "an export at RVA $rva lies outside the code"
done
[ -n "$(printf '%s\n' "$dump" | sed -n '/Export RVA$/p')" ] || fail "no export addresses found"

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
    case $dll in
        kernel32.dll | user32.dll | advapi32.dll | msvcrt.dll | ntdll.dll) ;;
        *) fail "imports $dll, which is not a system DLL" ;;
    esac
done

hex=$(od -An -tx1 -v "$plugin" | tr -s ' \n' '  ')
# VS_FIXEDFILEINFO: signature, structure version, then file and product
# version, each as two little-endian 32-bit halves of two 16-bit numbers
# (minor, major; build, patch).
le16() { printf '%02x %02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
old_ifs=$IFS
IFS=.
set -- $version_numbers
IFS=$old_ifs
if [ $# -ne 4 ]; then
    echo "FAIL: version numbers \"$version_numbers\" are not four" >&2
    exit 1
fi
halves="$(le16 "$2") $(le16 "$1") $(le16 "$4") $(le16 "$3")"
fixed="bd 04 ef fe 00 00 01 00 $halves $halves"
case $hex in *"$fixed"*) ;; *) fail "no version record with file and product version $version_numbers" ;; esac

utf16() { printf '%s' "$1" | od -An -tx1 -v | tr -s ' \n' '  ' | sed 's/ \([0-9a-f][0-9a-f]\)/ \1 00/g; s/^ *//; s/ *$//'; }
for key in FileVersion ProductVersion; do
    pattern="$(utf16 "$key") 00 00( 00 00)? $(utf16 "$version_text") 00 00"
    printf '%s' "$hex" | grep -Eq -- "$pattern" || fail "version string $key is not \"$version_text\""
done

grep -q 'level="asInvoker"' "$plugin" || fail "no manifest asking for asInvoker"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "ok: $plugin exports, imports, version record and manifest"

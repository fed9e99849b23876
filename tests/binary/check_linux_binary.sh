#!/bin/sh
# Checks a built Linux file against what the oldest systems it is for carry
# (Debian 12 and Ubuntu 22.04): it needs no C library newer than glibc 2.34.
# The plugin's dynamic symbol table must define the four exports and nothing
# else, so a host finds exactly the plugin's interface and none of its
# insides; the tool may need only the C and C++ runtimes (its XML library is
# linked in), the C++ one no newer than GCC 12's, GLIBCXX 3.4.30.
# Usage: check_linux_binary.sh FILE [plugin|tool]
set -eu
file=$1
kind=${2:-plugin}

# The newest version of `prefix` the file asks for that is newer than
# `floor`, or nothing.
past_floor() {
    prefix=$1
    floor=$2
    newest=$(objdump -T "$file" | sed -n "s/.*${prefix}_\([0-9][0-9.]*\).*/\1/p" |
        sort -t. -k1,1n -k2,2n -k3,3n | tail -n 1)
    if [ -n "$newest" ] &&
        [ "$(printf '%s\n%s\n' "$floor" "$newest" | sort -t. -k1,1n -k2,2n -k3,3n | tail -n 1)" != "$floor" ]; then
        echo "$newest"
    fi
}

if [ "$kind" = plugin ]; then
    defined=$(nm -D --defined-only "$file" | awk '{ print $3 }' | sort)
    expected='ContentGetSupportedField
ContentGetValue
ContentSetDefaultParams
ContentShowConfigDialog'
    if [ "$defined" != "$expected" ]; then
        echo "FAIL: $file defines
$defined
expected
$expected" >&2
        exit 1
    fi
else
    for needed in $(objdump -p "$file" | awk '$1 == "NEEDED" { print $2 }'); do
        case $needed in
        libc.so.6 | libm.so.6 | libstdc++.so.6 | libgcc_s.so.1 | ld-linux-x86-64.so.2) ;;
        *)
            echo "FAIL: $file needs $needed, which a system may lack" >&2
            exit 1
            ;;
        esac
    done
    newer=$(past_floor GLIBCXX 3.4.30)
    if [ -n "$newer" ]; then
        echo "FAIL: $file needs GLIBCXX $newer, newer than its floor 3.4.30" >&2
        exit 1
    fi
fi
newer=$(past_floor GLIBC 2.34)
if [ -n "$newer" ]; then
    echo "FAIL: $file needs glibc $newer, newer than its floor 2.34" >&2
    exit 1
fi
echo "ok: $file ($kind) needs no library newer than its floor"

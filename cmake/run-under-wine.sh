#!/bin/sh
# Runs one Windows program under Wine, quietly and without prompts. The caller
# (scripts/*.sh) normally exports WINEPREFIX and keeps a wineserver up; these
# defaults make a bare `ctest` in the Windows build work as well.
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
: "${WINEPREFIX:=$(dirname "$0")/../build/wine-prefix}"
export WINEDEBUG WINEDLLOVERRIDES WINEPREFIX
exec wine "$@"

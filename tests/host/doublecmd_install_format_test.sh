#!/bin/sh
# `lumbrasket install --colors` writes its four items (the content plugin,
# the column view, a kind's search template and its file-type colour) in the
# form Double Commander's own dialogs write them. The probe beside this
# script makes the same items through the host's dialogs (plugin Lumbrasket,
# a view with a Group name column, the template "Group name = Images" and
# the colour that uses it); install then runs on a copy of the file the
# same host wrote at its first start, and the items are compared element by
# element: names and nesting, attributes, and the values that make them
# work (FieldType, Compare, DetectString, Field, Unit, the ">TEMPLATE" mask).
# Names, paths, colours, widths and the view's list of columns are each
# side's own. A difference fails, naming the element.
# Usage: doublecmd_install_format_test.sh PACKAGE_ZIP WORK_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/script_arguments.sh"
take_arguments PACKAGE_ZIP "$@"
package=$given
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
command -v python3 >/dev/null || fail "python3 is not installed"

rm -rf "$work"
mkdir -p "$work/archive" "$work/home/.config/doublecmd"
work=$(cd "$work" && pwd)
(cd "$work/archive" && cmake -E tar xf "$package") || fail "cannot unpack $package"

sh "$here/doublecmd_settings_probe.sh" "$work/archive/Lumbrasket.wdx" "$work/probe" ||
    fail "the probe could not make the items through the host's dialogs (screenshot: $work/probe/shots)"

# install on the file the probe's host wrote at its first start, in a home
# of its own (the probe's host has quit; it ran on its own settings folder).
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME
cp "$work/probe/first-start.xml" "$HOME/.config/doublecmd/doublecmd.xml" || fail "the probe kept no first-start.xml"
(cd "$work/archive" && ./lumbrasket install --colors \
    --host-settings "$HOME/.config/doublecmd/wdx.ini") >"$work/install.log" 2>&1 ||
    fail "lumbrasket install --colors failed: $(cat "$work/install.log")"
cp "$HOME/.config/doublecmd/doublecmd.xml" "$work/installed.xml"

python3 "$here/doublecmd_install_check.py" format "$work/probe/after-dialogs.xml" "$work/installed.xml" ||
    fail "compare $work/probe/after-dialogs.xml with $work/installed.xml"
echo "ok: install's items have the form the host's own dialogs wrote"

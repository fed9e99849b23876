#!/bin/sh
# What Double Commander itself writes into doublecmd.xml when a user sets the
# plugin up through the host's own dialogs: the plugin added on the
# "Plugins WDX" page, a column view with a "Group name" column, a search
# template on that field and a file-type colour that uses the template. Code
# that edits the user's settings file must write what the host writes, so
# this records both files for comparison:
#   WORK_FOLDER/first-start.xml    the file a fresh host writes on its own
#   WORK_FOLDER/after-dialogs.xml  the same file after the four dialogs
#   WORK_FOLDER/config-changes.txt which files in the settings folder changed
#   WORK_FOLDER/config-first/      the whole settings folder after the first start
# The host runs headless under its own Xvfb and is driven with xdotool. The
# dialogs have no window manager to place them, so each is moved to the
# top-left corner and given a fixed size; the few steps that have no key
# (grid cells, combo boxes, the column field "+" button) are clicks at
# positions measured on Double Commander 1.0.10 (GTK2) at that size. Every
# step is checked in the file the host saves when its dialog closes, so a
# click that missed fails the run at that step instead of leaving a partial
# file behind. LUMBRASKET_PROBE_SHOTS=1 keeps a screenshot of every step.
# Usage: doublecmd_settings_probe.sh PLUGIN_WDX WORK_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/script_arguments.sh"
take_arguments PLUGIN_WDX "$@"
plugin_given=$given
timeout=${LUMBRASKET_HOST_TIMEOUT:-90}

. "$here/headless_session.sh"

shots=0
shot() {
    [ "${LUMBRASKET_PROBE_SHOTS:-0}" = 1 ] || [ "$1" = failure ] || return 0
    command -v import >/dev/null || return 0
    shots=$((shots + 1))
    import -window root "$work/shots/$(printf '%02d' "$shots")-$1.png" 2>/dev/null
}
fail() {
    echo "FAIL: $*" >&2
    [ -z "${DISPLAY:-}" ] || shot failure
    exit 1
}

for tool in Xvfb doublecmd xdotool xclip xdpyinfo; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (packages: xvfb doublecmd-gtk xdotool xclip x11-utils)"
done
[ -f "$plugin_given" ] || fail "no plugin at $plugin_given"
settings_given="$(dirname "$plugin_given")/Lumbrasket.ini"
[ -f "$settings_given" ] || settings_given="$here/../../examples/Lumbrasket.ini"
[ -f "$settings_given" ] || fail "no Lumbrasket.ini beside the plugin nor in examples/"

rm -rf "$work"
mkdir -p "$work/home" "$work/config" "$work/files" "$work/shots" "$work/plugins/Lumbrasket"
work=$(cd "$work" && pwd)
cp "$plugin_given" "$work/plugins/Lumbrasket/Lumbrasket.wdx" || fail "cannot copy the plugin"
cp "$settings_given" "$work/plugins/Lumbrasket/Lumbrasket.ini" || fail "cannot copy Lumbrasket.ini"
plugin="$work/plugins/Lumbrasket/Lumbrasket.wdx"
config="$work/config/doublecmd.xml"
# A file the "Images" template matches and one it does not, to look at.
echo photo >"$work/files/photo.jpg"
echo notes >"$work/files/notes.txt"

start_display

# The id of the first visible window whose title matches $1, waiting up to
# $2 seconds (20 unless given).
window() {
    deadline=$(($(date +%s) + ${2:-20}))
    while :; do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -z "$found" ] || {
            echo "$found"
            return 0
        }
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.3
    done
}
wait_closed() {
    deadline=$(($(date +%s) + 20))
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "the window \"$1\" did not close"
        sleep 0.3
    done
}
key() {
    for k in "$@"; do
        xdotool key "$k" >/dev/null 2>&1
        sleep 0.15
    done
}
down() {
    for _ in $(seq "$1"); do key Down; done
}
type_text() {
    xdotool type --delay 40 "$1" >/dev/null 2>&1
    sleep 0.3
}
# The file dialog's location field completes names while they are typed and
# loses characters to it: the path is pasted whole instead.
paste_text() {
    printf '%s' "$1" | xclip -selection clipboard >/dev/null 2>&1
    key ctrl+a ctrl+v
    sleep 0.5
}
# Clicks at a position inside a dialog that place() put at the screen's corner.
click() {
    xdotool mousemove "$1" "$2" click 1 >/dev/null 2>&1
    sleep "${3:-0.8}"
}
# Moves a dialog to the top-left corner at a fixed size, so the clicks below
# land on the same controls on every run.
place() {
    xdotool windowmove "$1" 0 0 windowsize "$1" "$2" "$3" >/dev/null 2>&1
    sleep 1.5
}
# Without a window manager nothing gives the main window the keyboard back
# when a dialog closes.
focus_main() {
    xdotool windowfocus --sync "$main" >/dev/null 2>&1
    sleep 0.3
}
saved() {
    grep -qF -- "$1" "$config"
}

start_host() {
    HOME="$work/home" doublecmd --config-dir="$work/config" --no-splash >>"$work/host.log" 2>&1 &
    host_pid=$!
    main=$(window '^Double Commander' "$timeout") || fail "Double Commander showed no window within ${timeout}s: $(tail -5 "$work/host.log")"
    sleep 2
}
# A busy host may take no notice of the first Alt+X: it is pressed again
# every 3 s until the host is gone.
quit_host() {
    deadline=$(($(date +%s) + 30))
    pressed=0
    while kill -0 "$host_pid" 2>/dev/null; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "Double Commander did not quit on Alt+X"
        if [ "$(date +%s)" -ge "$pressed" ]; then
            focus_main
            key alt+x
            pressed=$(($(date +%s) + 3))
        fi
        sleep 0.3
    done
    host_pid=""
}
# Opens Configuration > Options... and selects the page $1 rows down the
# page tree (1.0.10's tree, all branches open as the host shows them).
open_options_page() {
    focus_main
    key alt+o Return
    options=$(window '^Options$') || fail "Configuration > Options... opened no window"
    place "$options" 1100 900
    key Home
    down "$1"
    sleep 1.5
}
close_options() {
    key alt+o
    wait_closed '^Options$'
    sleep 0.5
}
listing() {
    (cd "$work/config" && for f in *; do printf '%s %s\n' "$(cksum <"$f" | cut -d' ' -f1)" "$f"; done)
}

# The host's own first file, written at its first quit.
start_host
quit_host
[ -f "$config" ] || fail "Double Commander wrote no doublecmd.xml at its first quit"
cp "$config" "$work/first-start.xml"
cp -R "$work/config" "$work/config-first"
listing >"$work/config-first.txt"

start_host
shot started

# (1) Plugins WDX > Add: a file dialog whose location field takes the path.
open_options_page 39
shot plugins-page
key Tab Tab space
window '^Open existing file$' >/dev/null || fail "Plugins WDX > Add opened no file dialog"
sleep 1
key ctrl+l
sleep 0.5
paste_text "$plugin"
shot plugin-path
key Return
wait_closed '^Open existing file$'
sleep 1
shot plugin-added
close_options
saved "<Path>$plugin</Path>" || fail "the plugin added on the Plugins WDX page is not in doublecmd.xml"

# (2) Files views > Columns > Custom columns: New copies the default view
# (five columns); Down on the last row of the grid adds a column, whose
# field cell shows the "+" button with the field menu; Save; Rename.
open_options_page 19
key Tab Tab Tab Tab space
sleep 1
click 731 98
key Escape
down 5
sleep 0.5
shot new-column
click 1003 174 1
key Down Down Right
sleep 0.5
down 4
key Right
sleep 0.5
shot field-menu
key Down Return
sleep 0.5
shot field-chosen
click 618 44
click 791 44
window '^Custom columns$' >/dev/null || fail "Custom columns > Rename asked for no name"
key ctrl+a
type_text "Lumbrasket groups"
key Return
wait_closed '^Custom columns$'
shot columns-saved
close_options
saved "<Name>Lumbrasket groups</Name>" || fail "the column view is not in doublecmd.xml under its new name"
saved "[Plugin(Lumbrasket).Group name{}]" || fail "the column view has no Group name column in doublecmd.xml"

# (3) Find files > Plugins: one rule Lumbrasket.Group name = Images, saved
# as the template "Images" on the Load/Save page.
focus_main
key alt+F7
find=$(window '^Find files') || fail "Alt+F7 opened no Find files window"
place "$find" 1100 800
key ctrl+Tab ctrl+Tab
key alt+c space
key alt+m
sleep 0.5
click 105 188
down 4
key Return
click 290 188
key Down Return
click 674 188 0.5
key ctrl+a
type_text Images
shot rule
key ctrl+Tab
sleep 0.5
click 646 775
window '^Save search template$' >/dev/null || fail "Load/Save > Save asked for no template name"
type_text Images
key Return
wait_closed '^Save search template$'
shot template-saved
key Escape
wait_closed '^Find files'

# (4) Colors > File types: Add, the name, the mask through the template
# button's list (which writes ">Images"), the colour Red from the list, the
# page's Apply, then OK.
open_options_page 6
key alt+d
key ctrl+a
type_text Images
click 1068 717 1
window '^Select mask$' >/dev/null || fail "the mask's template button opened no window"
key alt+r Home space
shot template-chosen
key alt+o
wait_closed '^Select mask$'
click 700 784 1
down 9
key Return
sleep 0.5
click 1023 824
shot colour
close_options
saved "<FileMasks>&gt;Images</FileMasks>" || fail "the file-type colour is not in doublecmd.xml"
saved "<Value>Images</Value>" || fail "the search template is not in doublecmd.xml"
saved '<ContentPlugins Enabled="True"' || fail "the search template does not use its content plugin rule"

quit_host
cp "$config" "$work/after-dialogs.xml"
listing >"$work/config-after.txt"
{
    echo "files in the settings folder that changed after the first start:"
    diff "$work/config-first.txt" "$work/config-after.txt" | sed -n 's/^> [0-9]* /  /p'
} >"$work/config-changes.txt"
echo "ok: $work/first-start.xml and $work/after-dialogs.xml"

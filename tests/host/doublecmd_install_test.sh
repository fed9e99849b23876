#!/bin/sh
# `lumbrasket install --colors` and `uninstall` against a real Double
# Commander, from the user's archive, in a fresh home of its own:
#  - the first hour, timed: init, install, start the host, choose the view
#    Lumbrasket from the column header's menu, until the panel shows the
#    plugin's group names; over 60 s, or any dialog on the way, fails;
#  - the panel's rows, read back through the host's "copy file details",
#    show the group of each file, and a screenshot shows each file of a
#    coloured kind in exactly its kind's colour and no file in another's;
#  - install and uninstall refuse while the host runs on those settings;
#  - after uninstall the settings file holds what it held before install
#    (compared as canonical XML; the panels' open tabs, which the person
#    changed by using the host, aside), and the host starts and quits again.
# The host runs headless under its own Xvfb and is driven with xdotool.
# Usage: doublecmd_install_test.sh PACKAGE_ZIP WORK_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/script_arguments.sh"
take_arguments PACKAGE_ZIP "$@"
package=$given
timeout=${LUMBRASKET_HOST_TIMEOUT:-90}
budget=60
check="$here/doublecmd_install_check.py"

. "$here/headless_session.sh"
fail() {
    echo "FAIL: $*" >&2
    [ -z "${DISPLAY:-}" ] || import -window root "$work/failure.png" 2>/dev/null
    exit 1
}

for tool in Xvfb doublecmd xdotool xclip xdpyinfo import python3; do
    command -v "$tool" >/dev/null ||
        fail "$tool is not installed (packages: xvfb doublecmd-gtk xdotool xclip x11-utils imagemagick python3)"
done

rm -rf "$work"
mkdir -p "$work/home" "$work/files" "$work/archive" "$work/shots"
work=$(cd "$work" && pwd)
(cd "$work/archive" && cmake -E tar xf "$package") || fail "cannot unpack $package"
[ -x "$work/archive/lumbrasket" ] || fail "the archive holds no program lumbrasket"

# A home of the test's own, with neither XDG folder set, so that install
# copies the plugin into ~/.local/share. Both the host and the tool take
# the settings folder from the user database, not from HOME (for root:
# /root/.config): the host is told the test's folder with --config-dir, the
# tool with --host-settings (init with --output), as a person with two
# settings folders would.
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME
settings="$HOME/.config/doublecmd"
given="--host-settings $settings/wdx.ini"
config="$settings/doublecmd.xml"

# The panel's folder: one file of each kind the sample's groups (which init
# puts first) name, and one of no group, which never gets a colour.
expected="$work/expected.txt"
printf '%s\t%s\t%s\n' \
    "photo" "jpg" "Images" \
    "notes" "txt" "Text" \
    "main" "cpp" "Source code" \
    "data" "zzq" "Other" >"$expected"
while IFS="$(printf '\t')" read -r name extension group; do
    echo "$group" >"$work/files/$name.$extension"
done <"$expected"

start_display

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

main=""
# Starts the host on the folder $1 and waits for its main window.
start_host() {
    (cd "$work" && exec doublecmd --config-dir="$settings" --no-splash "$1") >>"$work/host.log" 2>&1 &
    host_pid=$!
    deadline=$(($(date +%s) + timeout))
    main=""
    while [ -z "$main" ]; do
        kill -0 "$host_pid" 2>/dev/null || fail "Double Commander ended: $(tail -5 "$work/host.log")"
        main=$(xdotool search --all --onlyvisible --pid "$host_pid" --name '^Double Commander' 2>/dev/null | head -n 1)
        [ "$(date +%s)" -lt "$deadline" ] || fail "Double Commander showed no window within ${timeout}s"
        [ -n "$main" ] || sleep 0.2
    done
}
# Quits the host with Alt+X and waits until it has ended (and so written
# its settings); it must end by itself and report no failure.
# A host that has only just shown its window may not take keys yet: the key
# is pressed again every few seconds.
quit_host() {
    deadline=$(($(date +%s) + 30))
    pressed=0
    while kill -0 "$host_pid" 2>/dev/null; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "Double Commander did not quit on Alt+X"
        if [ "$(date +%s)" -ge "$pressed" ]; then
            xdotool windowfocus --sync "$main" >/dev/null 2>&1
            xdotool key --clearmodifiers alt+x >/dev/null 2>&1
            pressed=$(($(date +%s) + 3))
        fi
        sleep 0.2
    done
    wait "$host_pid"
    status=$?
    host_pid=""
    [ "$status" -eq 0 ] || fail "Double Commander quit with status $status: $(tail -5 "$work/host.log")"
}
# The host's visible windows other than the main one and its menus: the
# dialogs it shows.
dialogs() {
    for window in $(xdotool search --onlyvisible --pid "$host_pid" 2>/dev/null); do
        [ "$window" != "$main" ] || continue
        name=$(xdotool getwindowname "$window" 2>/dev/null)
        case $name in "" | doublecmd) continue ;; esac
        echo "$name"
    done
}
# The main window's place and size: x y width height.
geometry() {
    xdotool getwindowgeometry --shell "$main" 2>/dev/null |
        awk -F= '/^X=/ { x = $2 } /^Y=/ { y = $2 } /^WIDTH=/ { w = $2 } /^HEIGHT=/ { h = $2 }
                 END { print x, y, w, h }'
}
shot() {
    import -window root -depth 8 "$1" 2>/dev/null || fail "cannot take a screenshot"
}
# A screenshot (PPM) once the host has painted its window and the screen
# has stopped changing: two alike in a row.
settled_shot() {
    shot "$1"
    deadline=$(($(date +%s) + 20))
    while :; do
        sleep 0.3
        shot "$1-next.ppm"
        # shellcheck disable=SC2046 # the geometry is four numbers
        if cmp -s "$1" "$1-next.ppm" &&
            python3 "$check" drawn "$1" $(geometry) 2>/dev/null; then
            rm -f "$1-next.ppm"
            return 0
        fi
        mv "$1-next.ppm" "$1"
        [ "$(date +%s)" -lt "$deadline" ] || fail "the host's window did not settle within 20 s"
    done
}
clipboard="$work/clipboard.txt"
# Copies the left panel's rows, as the host shows them, into the clipboard
# file, waiting $1 seconds for the host to answer; unmarks them again so
# that the rows are drawn in their own colours.
copy_panel() {
    xdotool key --clearmodifiers ctrl+a >/dev/null 2>&1
    xdotool key --clearmodifiers ctrl+shift+F12 >/dev/null 2>&1
    sleep "$1"
    xdotool key --clearmodifiers ctrl+KP_Subtract >/dev/null 2>&1
    xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | tr -d '\r' >"$clipboard"
}
# The files of $expected the panel does not show with their groups.
missing_groups() {
    while IFS="$(printf '\t')" read -r name extension group; do
        awk -F '\t' -v n="$name" -v e="$extension" -v g="$group" \
            '$1 == n && $2 == e && $3 == g { found = 1 } END { exit !found }' "$clipboard" ||
            echo "$name.$extension ($group)"
    done <"$expected"
}

# 1. The host's own settings: written at its first quit; a second start
# and quit gives the file as the host keeps it once it has read its own
# back, which is the file a person who has used the host has.
start_host "$work/files"
quit_host
[ -f "$config" ] || fail "Double Commander wrote no $config at its first quit"
start_host "$work/files"
quit_host
cp "$config" "$work/original.xml"
# The test's own key for the host's "copy file details" command, kept in
# the host's key file, not in the settings file install edits.
sed 's|<Form Name="Main">|&<Hotkey><Shortcut>Ctrl+Shift+F12</Shortcut><Command>cm_CopyFileDetailsToClip</Command></Hotkey>|' \
    "$settings/shortcuts.scf" >"$work/shortcuts.scf" || fail "cannot read $settings/shortcuts.scf"
cp "$work/shortcuts.scf" "$settings/shortcuts.scf" || fail "cannot add the copy key to shortcuts.scf"
grep -q cm_CopyFileDetailsToClip "$settings/shortcuts.scf" || fail "shortcuts.scf has no <Form Name=\"Main\">"

# 2. The first hour, timed from the unpacked archive.
cd "$work/archive" || fail "cannot enter $work/archive"
began=$(now)
./lumbrasket init --output "$settings/Lumbrasket.ini" >"$work/init.log" 2>&1 || fail "lumbrasket init failed: $(cat "$work/init.log")"
after_init=$(now)
./lumbrasket install --colors $given >"$work/install.log" 2>&1 || fail "lumbrasket install --colors failed: $(cat "$work/install.log")"
after_install=$(now)
cp "$config" "$work/installed.xml"
start_host "$work/files"
[ -z "$(dialogs)" ] || fail "Double Commander showed a dialog at its start: $(dialogs)"
after_start=$(now)

# The header has no key of its own and its place depends on the host's
# bars, so it is found on the screen: the panel's first row lights up when
# the panel gets the cursor (a click in the middle of the panel, then
# Home), and the header is the row just above it.
# shellcheck disable=SC2046 # the geometry is four numbers
set -- $(geometry)
win_x=$1 win_y=$2 win_w=$3 win_h=$4
panel_x0=$((win_x + 4))
panel_x1=$((win_x + win_w / 2 - 12))
settled_shot "$work/shots/inactive.ppm"
xdotool mousemove $((win_x + win_w / 4)) $((win_y + win_h / 2)) click 1 >/dev/null 2>&1
xdotool key --clearmodifiers Home >/dev/null 2>&1
settled_shot "$work/shots/active.ppm"
band=$(python3 "$check" cursor-band "$work/shots/inactive.ppm" "$work/shots/active.ppm" "$panel_x0" "$panel_x1") ||
    fail "cannot find the panel's first row on the screen"
# shellcheck disable=SC2086 # the band is two numbers
set -- $band
row_top=$1 row_height=$2
# The view's place in the menu is its place in the host's list of views.
place=$(python3 "$check" view-position "$config" Lumbrasket) || fail "install added no view Lumbrasket"
xdotool mousemove $((win_x + win_w / 8)) $((row_top - 6)) click 3 >/dev/null 2>&1
deadline=$(($(date +%s) + 10))
until xdotool search --all --onlyvisible --pid "$host_pid" --name '^doublecmd$' 2>/dev/null |
    while read -r window; do xdotool getwindowgeometry "$window"; done | grep -q 'Position: [0-9]'; do
    [ "$(date +%s)" -lt "$deadline" ] || fail "a right click on the column header opened no menu"
    sleep 0.2
done
shot "$work/shots/header-menu.png"
for _ in $(seq "$place"); do
    xdotool key Down >/dev/null 2>&1
    sleep 0.1
done
xdotool key Return >/dev/null 2>&1
after_choice=$(now)

deadline=$(($(date +%s) + timeout))
while :; do
    copy_panel 0.5
    missing=$(missing_groups)
    [ -n "$missing" ] || break
    [ "$(date +%s)" -lt "$deadline" ] || break
done
shown=$(now)
[ -z "$missing" ] || {
    echo "the panel's rows, as copied:" >&2
    sed 's/\t/ | /g; s/^/  /' "$clipboard" >&2
    fail "the view Lumbrasket did not show the group of: $missing"
}
[ -z "$(dialogs)" ] || fail "a dialog was needed on the way: $(dialogs)"
awk -F '\t' 'NF != 5 { bad = 1 } END { exit bad }' "$clipboard" ||
    fail "the view does not have the five columns Name, Ext, Group name, Size, Date: $(head -n 1 "$clipboard")"
echo "first hour:"
echo "  lumbrasket init              $(seconds "$began" "$after_init") s"
echo "  lumbrasket install --colors  $(seconds "$after_init" "$after_install") s"
echo "  start Double Commander       $(seconds "$after_install" "$after_start") s"
echo "  choose the view Lumbrasket   $(seconds "$after_start" "$after_choice") s"
echo "  until the groups show        $(seconds "$after_choice" "$shown") s"
total=$(seconds "$began" "$shown")
echo "  total                        $total s"
awk -v t="$total" -v b="$budget" 'BEGIN { exit !(t <= b) }' || fail "the first hour took $total s, over $budget s"

# 3. The colours: each kind's colour is worked out apart from install, from
# the palette in the source and the table init wrote, and must be the one
# install wrote. Then every file of a coloured kind shows pixels of exactly
# that colour in its row, and no row shows another kind's; the file of no
# group shows none. The rows are in the order the panel copied them, below
# its first row ("..").
python3 "$check" palette-colours "$here/../../tools/install/kind_palette.cpp" "$settings/Lumbrasket.ini" \
    >"$work/colours.txt" || fail "cannot work out the kinds' colours"
python3 "$check" colours "$config" >"$work/written-colours.txt" || fail "cannot read the colours install wrote"
diff "$work/colours.txt" "$work/written-colours.txt" >"$work/colours.diff" ||
    fail "install wrote other colours than the palette gives the kinds (< palette, > written): $(cat "$work/colours.diff")"
has_colour() { awk -F '\t' -v k="$1" '$1 == k { found = 1 } END { exit !found }' "$work/colours.txt"; }
has_colour Images || fail "the kind Images gets no colour: $(cat "$work/colours.txt")"
has_colour Other && fail "the fallback group Other gets a colour"
awk -F '\t' 'NR == FNR { colour[$1] = $2; next }
             { group = $3; print FNR, (group in colour ? colour[group] : "-"), $1 "." $2, group }' \
    "$work/colours.txt" "$clipboard" >"$work/rows.txt"
xdotool key --clearmodifiers Home >/dev/null 2>&1
settled_shot "$work/shots/coloured.ppm"
python3 "$check" row-colours "$work/shots/coloured.ppm" "$panel_x0" "$panel_x1" "$row_top" "$row_height" \
    "$work/rows.txt" || fail "the panel does not draw the kinds in install's colours"

# Neither command touches the settings while the host runs on them.
./lumbrasket uninstall $given >"$work/refused.log" 2>&1
status=$?
[ "$status" -eq 7 ] || fail "uninstall while Double Commander runs exited $status, not 7: $(cat "$work/refused.log")"
./lumbrasket install --colors $given >>"$work/refused.log" 2>&1
status=$?
[ "$status" -eq 7 ] || fail "install while Double Commander runs exited $status, not 7: $(cat "$work/refused.log")"
cmp -s "$config" "$work/installed.xml" || fail "the refused commands changed $config"

# 4. The second day: a kind renamed in the table, install --colors again,
# and at the next start its files show the colour of its place under the
# new name, as every other kind keeps its own.
quit_host
sed -i 's/^\([0-9]*_name=\)Images$/\1Pictures/' "$settings/Lumbrasket.ini"
grep -q '_name=Pictures$' "$settings/Lumbrasket.ini" || fail "the table has no kind Images to rename"
./lumbrasket install --colors $given >"$work/reinstall.log" 2>&1 ||
    fail "lumbrasket install --colors after the rename failed: $(cat "$work/reinstall.log")"
python3 "$check" palette-colours "$here/../../tools/install/kind_palette.cpp" "$settings/Lumbrasket.ini" \
    >"$work/colours.txt" || fail "cannot work out the kinds' colours after the rename"
# The renamed kind's entries come last in the host's lists: compared by kind.
python3 "$check" colours "$config" | sort >"$work/written-colours.txt" ||
    fail "cannot read the colours install wrote"
sort -o "$work/colours.txt" "$work/colours.txt"
diff "$work/colours.txt" "$work/written-colours.txt" >"$work/colours.diff" ||
    fail "after the rename install's colours are not the palette's (< palette, > written): $(cat "$work/colours.diff")"
start_host "$work/files"
xdotool mousemove $((win_x + win_w / 4)) $((win_y + win_h / 2)) click 1 >/dev/null 2>&1
copy_panel 1
grep -q "$(printf '\tPictures\t')" "$clipboard" || fail "the panel shows no file of the renamed kind Pictures"
awk -F '\t' 'NR == FNR { colour[$1] = $2; next }
             { group = $3; print FNR, (group in colour ? colour[group] : "-"), $1 "." $2, group }' \
    "$work/colours.txt" "$clipboard" >"$work/rows.txt"
xdotool key --clearmodifiers Home >/dev/null 2>&1
settled_shot "$work/shots/renamed.ppm"
python3 "$check" row-colours "$work/shots/renamed.ppm" "$panel_x0" "$panel_x1" "$row_top" "$row_height" \
    "$work/rows.txt" || fail "after the rename the panel does not draw the kinds in install's colours"

# 5. Quit (the host saves its settings, install's items among them), take
# the items out, and compare with the file from before install.
quit_host
cp "$config" "$work/host-saved.xml"
./lumbrasket uninstall $given >"$work/uninstall.log" 2>&1 || fail "lumbrasket uninstall failed: $(cat "$work/uninstall.log")"
grep -q 'left in place' "$work/uninstall.log" &&
    fail "uninstall left items in place after the host saved them: $(cat "$work/uninstall.log")"
cp "$config" "$work/uninstalled.xml"
python3 "$check" same "$work/original.xml" "$config" ||
    fail "after uninstall $config differs from the file before install"
[ ! -e "$HOME/.local/share/lumbrasket" ] || fail "uninstall left $HOME/.local/share/lumbrasket"
start_host "$work/files"
[ -z "$(dialogs)" ] || fail "Double Commander showed a dialog after uninstall: $(dialogs)"
quit_host
echo "ok: installed in $total s, the groups and colours shown, a renamed kind kept its colour, and uninstall gave the file back"

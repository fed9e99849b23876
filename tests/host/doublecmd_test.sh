#!/bin/sh
# The plugin in a real host: Double Commander loads the Linux build, installed
# from the user's archive as the host installs it (unpacked into a plugin
# folder, registered by its absolute path), and shows "Group number" and
# "Group name" in a column view over a folder of files whose groups are known.
# The panel is read back exactly through the host's own "copy file details"
# command. Any difference, or a host that does not come up, fails the test.
# Usage: doublecmd_test.sh PACKAGE_ZIP WORK_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/script_arguments.sh"
take_arguments PACKAGE_ZIP "$@"
package=$given
timeout=${LUMBRASKET_HOST_TIMEOUT:-90}

. "$here/headless_session.sh"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in Xvfb doublecmd xdotool xclip xdpyinfo; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (packages: xvfb doublecmd-gtk xdotool xclip x11-utils)"
done

rm -rf "$work"
mkdir -p "$work/home" "$work/config" "$work/files" "$work/plugins/wdx/Lumbrasket"
work=$(cd "$work" && pwd)

# Install as the host does: the archive unpacked into plugins/wdx/<defaultdir>.
(cd "$work/plugins/wdx/Lumbrasket" && cmake -E tar xf "$package") || fail "cannot unpack $package"
plugin="$work/plugins/wdx/Lumbrasket/Lumbrasket.wdx"
[ -f "$plugin" ] || fail "the archive holds no Lumbrasket.wdx"

# The user's own settings beside the host's settings file win over the sample
# beside the plugin: this copy renames the fallback group, and the panel must
# show the new name.
sed 's/^UnknownGroupPlaceHolder=.*/UnknownGroupPlaceHolder=Not grouped/' \
    "$work/plugins/wdx/Lumbrasket/Lumbrasket.ini" >"$work/config/Lumbrasket.ini"

# Files whose groups those settings decide; one line per file: name, group
# number, group name, as the panel must show them.
expected="$work/expected.txt"
printf '%s\t%s\t%s\n' \
    "notes.txt" "15" "Text" \
    "photo.JPG" "3" "Images" \
    "Übersicht.md" "15" "Text" \
    "README" "13" "Documentation" \
    "backup.tar.gz" "6" "Archives" \
    "data.bin" "17" "Not grouped" \
    "main.cpp" "9" "Source code" \
    ".profile" "17" "Not grouped" \
    "Makefile" "11" "Build files" \
    "[folder.d]" "" "" >"$expected"
while IFS="$(printf '\t')" read -r name number group; do
    case $name in
        \[*\]) folder=${name#[}; mkdir "$work/files/${folder%]}" ;;
        *) echo "$name" >"$work/files/$name" ;;
    esac
done <"$expected"

cat >"$work/config/doublecmd.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<doublecmd DCVersion="1.0.10">
  <Behaviours><ShowSystemFiles>True</ShowSystemFiles></Behaviours>
  <MainWindow>
    <Position><Left>0</Left><Top>0</Top><Width>1200</Width><Height>800</Height></Position>
  </MainWindow>
  <Plugins>
    <WdxPlugins>
      <WdxPlugin><Name>Lumbrasket</Name><Path>$plugin</Path><DetectString/></WdxPlugin>
    </WdxPlugins>
  </Plugins>
  <ColumnsSets>
    <ColumnsSet>
      <Name>Groups</Name>
      <Columns>
        <Column><Title>Name</Title><FuncString>[DC().GETFILENAME{}]</FuncString><Width>300</Width></Column>
        <Column><Title>Number</Title><FuncString>[Plugin(Lumbrasket).Group number{}]</FuncString><Width>120</Width></Column>
        <Column><Title>Group</Title><FuncString>[Plugin(Lumbrasket).Group name{}]</FuncString><Width>200</Width></Column>
      </Columns>
    </ColumnsSet>
  </ColumnsSets>
  <Tabs>
    <OpenedTabs>
      <Left>
        <Tab>
          <FileView Type="columns">
            <History>
              <Entry Active="True">
                <FileSource Type="FileSystem"/>
                <Paths><Path Filename="..">$work/files/</Path></Paths>
              </Entry>
            </History>
            <ColumnsView><ColumnsSet>Groups</ColumnsSet></ColumnsView>
          </FileView>
        </Tab>
      </Left>
    </OpenedTabs>
  </Tabs>
</doublecmd>
XML

cat >"$work/config/shortcuts.scf" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<doublecmd>
  <Hotkeys Version="52">
    <Form Name="Main">
      <Hotkey><Shortcut>Ctrl+Shift+F12</Shortcut><Command>cm_CopyFileDetailsToClip</Command></Hotkey>
      <Hotkey><Shortcut>Ctrl+R</Shortcut><Command>cm_Refresh</Command></Hotkey>
    </Form>
  </Hotkeys>
</doublecmd>
XML

start_display

HOME="$work/home" doublecmd --config-dir="$work/config" --no-splash >"$work/host.log" 2>&1 &
host_pid=$!
deadline=$(($(date +%s) + timeout))
window=""
while [ -z "$window" ]; do
    kill -0 "$host_pid" 2>/dev/null || fail "Double Commander ended: $(tail -5 "$work/host.log")"
    window=$(xdotool search --onlyvisible --pid "$host_pid" 2>/dev/null | head -n 1)
    [ "$(date +%s)" -lt "$deadline" ] || fail "Double Commander showed no window within ${timeout}s"
    sleep 1
done

clipboard="$work/clipboard.txt"
# Copies the panel's rows, as the host shows them, into the clipboard file,
# waiting $1 seconds for the host to answer.
copy_panel() {
    xdotool mousemove 300 300 click 1 >/dev/null 2>&1
    xdotool key --clearmodifiers ctrl+a >/dev/null 2>&1
    xdotool key --clearmodifiers ctrl+shift+F12 >/dev/null 2>&1
    sleep "$1"
    xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | tr -d '\r' >"$clipboard"
}
missing=""
while :; do
    copy_panel 1
    missing=""
    while IFS= read -r line; do
        grep -qxF -- "$line" "$clipboard" || missing="$missing$line
"
    done <"$expected"
    [ -n "$missing" ] || break
    [ "$(date +%s)" -lt "$deadline" ] || break
done

# An edit shows at the first refresh of the panel: a group renamed, saved,
# two seconds later one Ctrl+R, and the panel copied within a second of it
# (a plugin that needed a second look a second later would still show the
# old name).
refreshed=""
if [ -z "$missing" ]; then
    settings="$work/config/Lumbrasket.ini"
    sed 's/^13_name=.*/13_name=Read me first/' "$settings" >"$settings.new" && mv "$settings.new" "$settings"
    sleep 2
    xdotool key --clearmodifiers ctrl+r >/dev/null 2>&1
    sleep 0.3
    copy_panel 0.5
    refreshed=$(awk -F '\t' '$1 == "README" { print $2 " | " $3 }' "$clipboard")
fi

xdotool key --clearmodifiers alt+x >/dev/null 2>&1

if [ -z "$missing" ] && [ "$refreshed" != "13 | Read me first" ]; then
    fail "one refresh two seconds after an edit showed README as \"$refreshed\", not \"13 | Read me first\""
fi
if [ -n "$missing" ]; then
    echo "FAIL: Double Commander did not show the expected groups:" >&2
    printf '%s' "$missing" | while IFS="$(printf '\t')" read -r name number group; do
        if shown=$(awk -F '\t' -v name="$name" \
            '$1 == name { print $2 " | " $3; found = 1; exit } END { exit !found }' "$clipboard"); then
            echo "  $name: expected \"$number | $group\", the panel showed \"$shown\"" >&2
        else
            echo "  $name: expected \"$number | $group\", the panel did not list the file" >&2
        fi
    done
    echo "the panel's rows, as copied:" >&2
    sed 's/\t/ | /g; s/^/  /' "$clipboard" >&2
    exit 1
fi
echo "ok: Double Commander showed every expected group, and an edit at one refresh"

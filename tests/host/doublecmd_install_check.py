#!/usr/bin/env python3
"""What the install host tests read out of Double Commander's doublecmd.xml
and out of screenshots of its window. Each command prints what it found and
exits 1, with the reason on standard error, when the finding is not what the
test needs.

  colours CONFIG                  KIND and RRGGBB of each "Lumbrasket: KIND"
                                  file-type colour
  palette-colours PALETTE_CPP INI KIND and RRGGBB each kind of the table INI
                                  should get, from the palette in the source
  view-position CONFIG NAME       the 1-based place of the column view NAME
                                  in the host's list of views
  same ORIGINAL CURRENT           whether the two files hold the same
                                  settings, the panels' open tabs aside
  cursor-band BEFORE AFTER X0 X1  TOP HEIGHT of the lowest band of rows
                                  (between columns X0 and X1) that changed
                                  between two screenshots
  drawn SHOT X Y WIDTH HEIGHT     whether that part of the screen is painted
                                  (Xvfb's black shows through a window the
                                  host has mapped but not drawn yet)
  row-colours SHOT X0 X1 TOP HEIGHT EXPECTED
                                  whether each row of the panel shows the
                                  colour EXPECTED names for it, and no other
  format PROBE INSTALLED          whether install wrote its four items in the
                                  form the host's own dialogs did
"""
import difflib
import re
import sys
import xml.etree.ElementTree as ET

PLUGIN = "Lumbrasket"
PREFIX = PLUGIN + ": "


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def root_of(path):
    try:
        return ET.parse(path).getroot()
    except (OSError, ET.ParseError) as error:
        fail(f"cannot read {path}: {error}")


def tcolor_to_rgb(text):
    # The host keeps a colour as a Pascal TColor: red in the low byte.
    value = int(text)
    return "%02X%02X%02X" % (value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)


def cmd_colours(config):
    for colour_filter in root_of(config).iterfind("Colors/FileFilters/Filter"):
        name = colour_filter.findtext("Name", "")
        if name.startswith(PREFIX):
            print("%s\t%s" % (name[len(PREFIX):], tcolor_to_rgb(colour_filter.findtext("Color"))))


def table_kinds(ini):
    """The kinds of a Lumbrasket.ini in their order, each name once: groups
    0, 1, 2, ... until one has neither extensions nor masks."""
    values = {}
    section = ""
    with open(ini, encoding="utf-8") as stream:
        for line in stream:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif section == "[Groups]" and "=" in line and not line.startswith(";"):
                key, value = line.split("=", 1)
                values[key.strip()] = value.strip()
    kinds = []
    number = 0
    while str(number) in values or f"{number}_masks" in values:
        name = values.get(f"{number}_name", "")
        if name and name not in kinds:
            kinds.append(name)
        number += 1
    return kinds


def cmd_palette_colours(palette_cpp, ini):
    """What install should give each kind, worked out apart from install:
    the palette's colours in order, one per kind of the table, as far as
    they go."""
    with open(palette_cpp, encoding="utf-8") as stream:
        source = stream.read()
    table = re.search(r"kPalette\[[^\]]*\]\s*=\s*\{(.*?)\};", source, re.S)
    if not table:
        fail(f"no kPalette table in {palette_cpp}")
    palette = ["%02X%02X%02X" % tuple(int(channel, 16) for channel in entry)
               for entry in re.findall(r"\{\s*(0x[0-9A-Fa-f]+)\s*,\s*(0x[0-9A-Fa-f]+)\s*,\s*(0x[0-9A-Fa-f]+)\s*\}",
                                       table.group(1))]
    if not palette:
        fail(f"the kPalette table in {palette_cpp} holds no colours")
    for kind, colour in zip([k for k in table_kinds(ini) if ";" not in k], palette):
        print("%s\t%s" % (kind, colour))


def cmd_view_position(config, name):
    names = [view.findtext("Name", "") for view in root_of(config).iterfind("ColumnsSets/ColumnsSet")]
    if name not in names:
        fail(f"no column view named {name!r} in {config} (views: {names})")
    print(names.index(name) + 1)


def cmd_same(original, current):
    """The open tabs hold where the panels were and which view they showed,
    which the person changes by using the host, not install; everything else
    must be as it was."""
    trees = []
    for path in (original, current):
        root = root_of(path)
        tabs = root.find("Tabs")
        opened = tabs.find("OpenedTabs") if tabs is not None else None
        if opened is not None:
            tabs.remove(opened)
        trees.append((root, opened))
    texts = [ET.canonicalize(ET.tostring(root, encoding="unicode"), strip_text=True)
             for root, _ in trees]
    if texts[0] != texts[1]:
        differences = list(element_differences(trees[0][0], trees[1][0], trees[0][0].tag))
        fail("differs from the original, the open tabs aside:\n  " + "\n  ".join(differences[:20]))
    # What the person's own use left in the tabs, for the log.
    listings = []
    for _, opened in trees:
        listing = []
        if opened is not None:
            for element in opened.iter():
                text = (element.text or "").strip()
                if text or element.attrib:
                    listing.append(" ".join(filter(None, [element.tag, str(element.attrib or ""), text])))
        listings.append(listing)
    for line in difflib.unified_diff(listings[0], listings[1], "open tabs before", "open tabs now", n=0, lineterm=""):
        if not line.startswith("@@"):
            print(line)


def element_differences(a, b, where):
    """Where two elements differ, original first; a list of children that
    differs is shown by its last few entries (where install appends)."""
    if a.attrib != b.attrib:
        yield f"{where}: attributes {a.attrib} / {b.attrib}"
    if (a.text or "").strip() != (b.text or "").strip():
        yield f"{where}: text {(a.text or '').strip()!r} / {(b.text or '').strip()!r}"
    ca, cb = list(a), list(b)
    if [c.tag for c in ca] != [c.tag for c in cb]:
        def named(children):
            return [c.tag + ":" + c.findtext("Name", "") for c in children][-5:]
        yield f"{where}: children {len(ca)} / {len(cb)}: {named(ca)} / {named(cb)}"
        return
    for x, y in zip(ca, cb):
        yield from element_differences(x, y, where + "/" + x.tag)


def read_ppm(path):
    with open(path, "rb") as stream:
        data = stream.read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        fail(f"{path} is not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position:position + width * height * 3]


def row_pixels(image, y, x0, x1):
    width, _, pixels = image
    start = (y * width + x0) * 3
    return pixels[start:start + (x1 - x0) * 3]


def cmd_cursor_band(before_path, after_path, x0, x1):
    """The panel's cursor, put on the first row, is a band of rows that
    change nearly across the panel; so is the path above the header when
    the panel becomes active. The lowest such band is the cursor's."""
    before, after = read_ppm(before_path), read_ppm(after_path)
    if before[:2] != after[:2]:
        fail("the screenshots differ in size")
    x0, x1 = int(x0), int(x1)
    changed = []
    for y in range(before[1]):
        a, b = row_pixels(before, y, x0, x1), row_pixels(after, y, x0, x1)
        differing = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
        changed.append(differing * 10 >= (x1 - x0) * 4)
    bands = []
    y = 0
    while y < len(changed):
        if changed[y]:
            top = y
            while y < len(changed) and changed[y]:
                y += 1
            if y - top >= 8:
                bands.append((top, y - top))
        y += 1
    if not bands:
        fail("no row of the panel changed when it got the cursor")
    print("%d %d" % bands[-1])


def cmd_drawn(shot, x, y, width, height):
    image = read_ppm(shot)
    x, y, width, height = int(x), int(y), int(width), int(height)
    black = 0
    for row in range(y, y + height):
        pixels = row_pixels(image, row, x, x + width)
        black += sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] == b"\0\0\0")
    if black * 10 > width * height:
        fail(f"{black} of {width * height} pixels are black")


def cmd_row_colours(shot, x0, x1, top, height, expected_path):
    """EXPECTED has one line per file row below the cursor's first row:
    the row's number (1 = the row under the first) and the RRGGBB its text
    must show, or '-' for none. A row must hold pixels of exactly its own
    colour and none of any other colour the file lists."""
    image = read_ppm(shot)
    x0, x1, top, height = int(x0), int(x1), int(top), int(height)
    rows = []
    with open(expected_path) as stream:
        for line in stream:
            parts = line.split()
            if len(parts) >= 2:
                rows.append((int(parts[0]), parts[1].upper(), " ".join(parts[2:])))
    palette = {colour for _, colour, _ in rows if colour != "-"}
    problems = []
    for number, colour, label in rows:
        counts = dict.fromkeys(palette, 0)
        for y in range(top + number * height, top + (number + 1) * height):
            pixels = row_pixels(image, y, x0, x1)
            for i in range(0, len(pixels), 3):
                hex_colour = pixels[i:i + 3].hex().upper()
                if hex_colour in counts:
                    counts[hex_colour] += 1
        shown = {c: n for c, n in counts.items() if n}
        print(f"row {number} ({label}): expected {colour}, pixels {shown or 'none of the colours'}")
        if colour != "-" and counts[colour] < 10:
            problems.append(f"{label}: fewer than 10 pixels of #{colour}")
        others = {c: n for c, n in shown.items() if c != colour}
        if others:
            problems.append(f"{label}: pixels of other kinds' colours {others}")
    if problems:
        fail("; ".join(problems))


# --- format: the items install writes against the ones the host's dialogs wrote

# Values that make an item work and that must be the same; anything else
# that differs is printed as a note.
JUDGED_VALUES = {"FieldType", "Compare", "DetectString", "Field", "Unit"}
# Values the two are free to differ in: names, paths, colours, the look.
# FileMasks is judged apart: it must name the item's own template.
FREE_VALUES = {"Name", "Path", "Title", "Color", "Value", "Width", "PixelsPerInch", "FileMasks"}


def plugin_item(root):
    for plugin in root.iterfind("Plugins/WdxPlugins/WdxPlugin"):
        if plugin.findtext("Name") == PLUGIN:
            return plugin
    return None


def group_function():
    return "[Plugin(%s).Group name{}]" % PLUGIN


def view_item(root):
    for view in root.iterfind("ColumnsSets/ColumnsSet"):
        for column in view.iterfind("Columns/Column"):
            if column.findtext("FuncString") == group_function():
                return view
    return None


def template_item(root, kind):
    for template in root.iterfind("SearchTemplates/Template"):
        for rule in template.iterfind("ContentPlugins/Plugin"):
            if rule.findtext("Name") == PLUGIN and rule.findtext("Value") == kind:
                return template
    return None


def filter_item(root, template_name):
    for colour_filter in root.iterfind("Colors/FileFilters/Filter"):
        if colour_filter.findtext("FileMasks") == ">" + template_name:
            return colour_filter
    return None


def compare_shape(probe, installed, where, problems, notes, values=True):
    if probe.attrib != installed.attrib:
        problems.append(f"<{where}>: attributes {probe.attrib} from the dialogs, {installed.attrib} from install")
    probe_children = [child.tag for child in probe]
    installed_children = [child.tag for child in installed]
    if probe_children != installed_children:
        missing = [tag for tag in probe_children if tag not in installed_children]
        extra = [tag for tag in installed_children if tag not in probe_children]
        if missing or extra:
            problems.append(f"<{where}>: install's lacks {missing or 'nothing'}, and has besides {extra or 'nothing'}")
        else:
            problems.append(f"<{where}>: children in the order {installed_children}, the dialogs' {probe_children}")
        return
    if not probe_children and values:
        a, b = (probe.text or "").strip(), (installed.text or "").strip()
        tag = probe.tag
        if a != b:
            if tag in JUDGED_VALUES:
                problems.append(f"<{where}>: {a!r} from the dialogs, {b!r} from install")
            elif tag not in FREE_VALUES:
                notes.append(f"<{where}>: {a!r} from the dialogs, {b!r} from install (not judged)")
        return
    for a, b in zip(probe, installed):
        compare_shape(a, b, where + "/" + a.tag, problems, notes, values)


def without_columns(view):
    copy = ET.fromstring(ET.tostring(view))
    columns = copy.find("Columns")
    if columns is not None:
        for column in list(columns):
            columns.remove(column)
    return copy


def cmd_format(probe_path, installed_path):
    probe, installed = root_of(probe_path), root_of(installed_path)
    problems, notes = [], []

    def pair(label, a, b):
        if a is None:
            fail(f"the file the dialogs wrote has no {label}")
        if b is None:
            problems.append(f"install wrote no {label}")
            return False
        return True

    a, b = plugin_item(probe), plugin_item(installed)
    if pair("WdxPlugin named " + PLUGIN, a, b):
        compare_shape(a, b, "WdxPlugin", problems, notes)

    a, b = view_item(probe), view_item(installed)
    if pair("ColumnsSet with a Group name column", a, b):
        # The column list is each side's own; the view around it must match,
        # and every column install wrote must have the form of the dialogs'
        # Group name column.
        model = next(c for c in a.iterfind("Columns/Column") if c.findtext("FuncString") == group_function())
        compare_shape(without_columns(a), without_columns(b), "ColumnsSet", problems, notes)
        for column in b.iterfind("Columns/Column"):
            title = column.findtext("Title", "")
            is_group = column.findtext("FuncString") == group_function()
            compare_shape(model, column, f"ColumnsSet/Columns/Column[{title}]", problems, notes, is_group)
        if b.find("Columns/Column[FuncString='%s']" % group_function()) is None:
            problems.append("install's ColumnsSet has no column " + group_function())

    a = template_item(probe, "Images")
    b = template_item(installed, "Images")
    if pair("Template on Group name = Images", a, b):
        compare_shape(a, b, "Template", problems, notes)
        fa = filter_item(probe, a.findtext("Name"))
        fb = filter_item(installed, b.findtext("Name"))
        if pair("Filter whose FileMasks is >TEMPLATE for that template", fa, fb):
            compare_shape(fa, fb, "Filter", problems, notes)

    for note in notes:
        print("note: " + note)
    if problems:
        fail("install's items differ in form from the host's own:\n  " + "\n  ".join(problems))
    print("the four items have the form the host's dialogs gave them")


COMMANDS = {
    "colours": (cmd_colours, 1),
    "palette-colours": (cmd_palette_colours, 2),
    "view-position": (cmd_view_position, 2),
    "same": (cmd_same, 2),
    "cursor-band": (cmd_cursor_band, 4),
    "drawn": (cmd_drawn, 5),
    "row-colours": (cmd_row_colours, 6),
    "format": (cmd_format, 2),
}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS or len(sys.argv) - 2 != COMMANDS[sys.argv[1]][1]:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    COMMANDS[sys.argv[1]][0](*sys.argv[2:])

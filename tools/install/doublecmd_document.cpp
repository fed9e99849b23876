// Double Commander's doublecmd.xml as `install` edits it, through an XML
// library and never by splicing text. The elements are written in the form
// Double Commander 1.0.10 itself saves them (taken from files it wrote after
// the same items were made in its own dialogs), so that the host's next save
// leaves them as they are:
//   <Plugins><WdxPlugins><WdxPlugin>: Name, Path, DetectString;
//   <ColumnsSets><ColumnsSet>: Name, its look, and <Columns><Column> each
//     with Title, FuncString ("[Plugin(NAME).FIELD{}]" for a plugin's
//     field), Width, Align and the column's own font and colours;
//   <SearchTemplates><Template>: the search's fields, with
//     <ContentPlugins><Plugin> for a condition on a plugin's field;
//   <Colors><FileFilters><Filter>: Name, FileMasks (">TEMPLATE" for files a
//     search template finds), Color (0xBBGGRR), Attributes.
// The file is kept as it was written wherever install changes nothing: its
// whitespace is read as text and the document written back without layout
// of its own, and what install adds is laid out as the host lays out its
// own, a line each, indented as its neighbours.
#include "tools/install/host_settings_document.h"

#include "platform/text/ascii.h"
#include "platform/text/printable_text.h"
#include "tools/files/replaced_file.h"

#include <pugixml.hpp>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {

// Where each kind of item lives, below the root, and its element's name.
struct ItemPlace {
    const char* listPath;
    const char* element;
};

ItemPlace PlaceOf(ItemKind kind) {
    switch (kind) {
    case ItemKind::kPlugin:
        return {"Plugins/WdxPlugins", "WdxPlugin"};
    case ItemKind::kColumnView:
        return {"ColumnsSets", "ColumnsSet"};
    case ItemKind::kSearchTemplate:
        return {"SearchTemplates", "Template"};
    case ItemKind::kFileColour:
        return {"Colors/FileFilters", "Filter"};
    }
    return {"", ""};
}

// What the host writes into a column view and its columns for their look
// (fonts, colours, widths a user drags): not part of what the view shows,
// and rewritten by the host to its own values, so left out of a fingerprint.
const char* const kLookElements[] = {"PixelsPerInch",
                                     "CursorBorder",
                                     "Width",
                                     "Font",
                                     "TextColor",
                                     "Background",
                                     "Background2",
                                     "MarkColor",
                                     "CursorColor",
                                     "CursorText",
                                     "InactiveCursorColor",
                                     "InactiveMarkColor",
                                     "UseInvertedSelection",
                                     "UseInactiveSelColor",
                                     "Overcolor"};

bool IsLook(const char* name) {
    for (const char* look : kLookElements)
        if (std::strcmp(look, name) == 0)
            return true;
    return false;
}

// Removes the look from a copy of an item, at every depth.
void StripLook(pugi::xml_node node) {
    node.remove_attribute("UseFrameCursor");
    for (pugi::xml_node child = node.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_element && IsLook(child.name()))
            node.remove_child(child);
        else
            StripLook(child);
        child = next;
    }
}

// How the file is read: its whitespace as text, the text around the root
// too, and its line ends as they are, so that a save gives back every byte
// of what install leaves alone.
constexpr unsigned kAsWritten =
    (pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment) & ~pugi::parse_eol;
// How the file was read before it was kept as written, which fingerprints
// are made from: the records of earlier installs hold fingerprints so made.
constexpr unsigned kAsMeant = pugi::parse_full;

// The deepest nesting read. The host nests its toolbars' submenus as deep
// as a user makes them, so the bound is far above any real file; it keeps
// the recursive walks over a node (a copy, a fingerprint) within the stack.
constexpr int kDeepestNesting = 1000;

// The host indents each level by two blanks.
const char* const kHostIndentStep = "  ";

bool IsBlank(const char* text) {
    return text[std::strspn(text, " \t\r\n")] == '\0';
}

bool IsBlankText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata && IsBlank(node.value());
}

// Visits every node below the document with its depth (1 for the root),
// walked without recursion: the file may nest far deeper than a stack
// goes. Stops, false, where `visit` says false.
template <typename Visit> bool WalkAll(const pugi::xml_document& document, Visit visit) {
    int depth = 1;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (!visit(node, depth))
            return false;
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node != document && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        node = node == document ? pugi::xml_node() : node.next_sibling();
    }
    return true;
}

bool NestsTooDeep(const pugi::xml_document& document) {
    return !WalkAll(document, [](pugi::xml_node node, int depth) {
        return depth <= kDeepestNesting || node.type() != pugi::node_element;
    });
}

// An empty element the file writes open, <X></X>, keeps that form: the
// parser makes it the same as <X/>, and an empty text in it has it written
// open. Its start tag is found at its name, and ends at the first '>'
// outside its attributes' quotes.
void KeepOpenEmptyElements(pugi::xml_document& document, const std::string& text) {
    std::vector<pugi::xml_node> open;
    WalkAll(document, [&](pugi::xml_node node, int) {
        const std::ptrdiff_t name = node.offset_debug();
        if (node.type() != pugi::node_element || node.first_child() || name < 0)
            return true;
        char quote = '\0';
        std::size_t at = static_cast<std::size_t>(name);
        for (; at < text.size() && (quote != '\0' || text[at] != '>'); ++at)
            if (quote == '\0' && (text[at] == '"' || text[at] == '\''))
                quote = text[at];
            else if (text[at] == quote)
                quote = '\0';
        if (at < text.size() && text[at - 1] != '/')
            open.push_back(node);
        return true;
    });
    for (pugi::xml_node node : open)
        node.append_child(pugi::node_pcdata);
}

// Whether the reference at `at` is one XML itself defines (a character's
// number, or one of its five names), which the parser reads as the host
// does.
bool IsOwnReference(const std::string& text, std::size_t at) {
    for (const char* name : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
        if (text.compare(at, std::strlen(name), name) == 0)
            return true;
    const bool hex = text.compare(at, 3, "&#x") == 0;
    if (!hex && text.compare(at, 2, "&#") != 0)
        return false;
    const std::size_t digits = at + (hex ? 3 : 2);
    std::size_t end = digits;
    while (end < text.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text[end]))
                                     : std::isdigit(static_cast<unsigned char>(text[end]))))
        ++end;
    return end > digits && end < text.size() && text[end] == ';';
}

// Whether the file's text from `from` to the end of a text (at '<') or of
// a start tag (at '>' outside its attributes' quotes) holds a reference to
// an entity XML does not define: one a document type declaration would,
// which the parser keeps as the text "&name;".
bool RefersToOtherEntities(const std::string& text, std::size_t from, bool tag) {
    char quote = '\0';
    for (std::size_t at = from; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '&' && !IsOwnReference(text, at))
            return true;
        if (quote != '\0')
            quote = c == quote ? '\0' : quote;
        else if (tag && (c == '"' || c == '\''))
            quote = c;
        else if (c == (tag ? '>' : '<'))
            return false;
    }
    return false;
}

// Whether a text or an attribute of the document holds such a reference;
// only those whose value holds a '&' are looked at in the file's text.
bool UsesOtherEntities(const pugi::xml_document& document, const std::string& text) {
    return !WalkAll(document, [&](pugi::xml_node node, int) {
        bool ampersand = node.type() == pugi::node_pcdata && std::strchr(node.value(), '&');
        for (pugi::xml_attribute attribute : node.attributes())
            ampersand = ampersand || std::strchr(attribute.value(), '&') != nullptr;
        return !ampersand || node.offset_debug() < 0 ||
               !RefersToOtherEntities(text, static_cast<std::size_t>(node.offset_debug()),
                                      node.type() == pugi::node_element);
    });
}

// What the document holds that the host would read otherwise than this
// editor, or that is no settings file of the host's at all; null when
// nothing.
const char* UnlikeTheHostsFile(const pugi::xml_document& document, const std::string& text) {
    int elements = 0;
    for (pugi::xml_node node : document.children()) {
        switch (node.type()) {
        case pugi::node_element:
            ++elements;
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            if (node.type() == pugi::node_cdata || !IsBlank(node.value()))
                return "it holds text outside its root element";
            break;
        case pugi::node_doctype:
            // Its declarations (entities, attributes' defaults) change what
            // the host reads, and a save here would not keep them in force.
            if (std::strpbrk(node.value(), " \t\r\n[") != nullptr)
                return "it has a document type declaration that declares or names more than its "
                       "root, and the host would read values this editor cannot see";
            break;
        case pugi::node_declaration: {
            const char* encoding = node.attribute("encoding").as_string("UTF-8");
            if (FoldedAscii(encoding) != "utf-8")
                return "it declares an encoding other than UTF-8, which the host would read "
                       "other text from";
            break;
        }
        default:
            break;
        }
    }
    if (elements > 1)
        return "it has more than one root element";
    if (NestsTooDeep(document))
        return "it nests elements more than 1000 deep";
    if (UsesOtherEntities(document, text))
        return "it refers to an entity (&name;) that XML does not define, and the host would "
               "read another value there, or nothing";
    return nullptr;
}

// The line break and indentation before `node`: the blank text before it,
// from its last line break on; empty when it shares its line with what
// comes before it.
std::string LeadOf(pugi::xml_node node) {
    const pugi::xml_node before = node.previous_sibling();
    if (!IsBlankText(before))
        return std::string();
    const std::string blank = before.value();
    std::size_t at = blank.rfind('\n');
    if (at == std::string::npos)
        return std::string();
    if (at > 0 && blank[at - 1] == '\r')
        --at;
    return blank.substr(at);
}

// Appends an element as the host would write it: on a line of its own,
// indented as its siblings are (a step further than its parent when it has
// none yet), and the parent's closing tag on a line after it. A parent
// laid out on one line keeps the new element on it.
pugi::xml_node AppendLaidOut(pugi::xml_node parent, const char* name) {
    pugi::xml_node sibling = parent.last_child();
    while (sibling && sibling.type() != pugi::node_element)
        sibling = sibling.previous_sibling();
    std::string lead;
    if (sibling) {
        lead = LeadOf(sibling);
    } else {
        std::string parentLead = LeadOf(parent);
        if (parentLead.empty() && parent.parent().type() == pugi::node_document)
            parentLead = "\n";
        if (!parentLead.empty()) {
            lead = parentLead + kHostIndentStep;
            pugi::xml_node closing = parent.last_child();
            if (!IsBlankText(closing))
                closing = parent.append_child(pugi::node_pcdata);
            if (std::strchr(closing.value(), '\n') == nullptr)
                closing.set_value(parentLead.c_str());
        }
    }
    // Before the blank that leads to the parent's closing tag.
    const pugi::xml_node closing =
        IsBlankText(parent.last_child()) ? parent.last_child() : pugi::xml_node();
    const auto add = [&](pugi::xml_node_type type) {
        return closing ? parent.insert_child_before(type, closing) : parent.append_child(type);
    };
    if (!lead.empty())
        add(pugi::node_pcdata).set_value(lead.c_str());
    pugi::xml_node element = add(pugi::node_element);
    element.set_name(name);
    return element;
}

void AddText(pugi::xml_node parent, const char* name, const std::string& text) {
    pugi::xml_node child = AppendLaidOut(parent, name);
    if (!text.empty())
        child.text().set(text.c_str());
}

// The look Double Commander gives a column of a view that uses the panel's
// own colours (system colours are negative: 0x80000000 and their index).
void AddColumn(pugi::xml_node columns, const char* title, const std::string& function, int width,
               int align) {
    pugi::xml_node column = AppendLaidOut(columns, "Column");
    AddText(column, "Title", title);
    AddText(column, "FuncString", function);
    AddText(column, "Width", std::to_string(width));
    AddText(column, "Align", std::to_string(align));
    pugi::xml_node font = AppendLaidOut(column, "Font");
    AddText(font, "Name", "default");
    AddText(font, "Size", "10");
    AddText(font, "Style", "1");
    AddText(font, "Quality", "0");
    AddText(column, "TextColor", "-2147483640");
    AddText(column, "Background", "-2147483643");
    AddText(column, "Background2", "-2147483643");
    AddText(column, "MarkColor", "255");
    AddText(column, "CursorColor", "-2147483635");
    AddText(column, "CursorText", "-2147483634");
    AddText(column, "InactiveCursorColor", "-2147483645");
    AddText(column, "InactiveMarkColor", "255");
    AddText(column, "UseInvertedSelection", "False");
    AddText(column, "UseInactiveSelColor", "False");
    AddText(column, "Overcolor", "True");
}

// Collects the serialized text of a node.
struct TextWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
};

} // namespace

struct HostSettingsDocument::Parsed {
    pugi::xml_document document;
    std::string path;
    std::string before;
    bool marked = false; // began with UTF-8's byte-order mark, which the parser drops
    bool edited = false; // a file left as it was is not written, not even in the parser's form

    pugi::xml_node Root() const { return document.child("doublecmd"); }

    // The list that holds items of a kind, made when the file has none.
    pugi::xml_node List(ItemKind kind) {
        pugi::xml_node node = Root();
        std::string path = PlaceOf(kind).listPath;
        for (std::size_t start = 0; start <= path.size();) {
            std::size_t end = path.find('/', start);
            if (end == std::string::npos)
                end = path.size();
            const std::string part = path.substr(start, end - start);
            pugi::xml_node child = node.child(part.c_str());
            node = child ? child : AppendLaidOut(node, part.c_str());
            start = end + 1;
        }
        return node;
    }

    pugi::xml_node Find(const ItemRef& item) const {
        pugi::xml_node list = Root().first_element_by_path(PlaceOf(item.kind).listPath);
        for (pugi::xml_node node : list.children(PlaceOf(item.kind).element))
            if (item.name == node.child_value("Name"))
                return node;
        return pugi::xml_node();
    }
};

HostSettingsDocument::HostSettingsDocument() : parsed(new Parsed) {}
HostSettingsDocument::~HostSettingsDocument() = default;

bool HostSettingsDocument::Load(const std::string& mainFile, std::string& problem) {
    parsed->path = mainFile;
    std::string reason;
    if (!ReadWholeFile(mainFile, parsed->before, reason)) {
        problem = "cannot read " + mainFile + ": " + reason;
        return false;
    }
    const pugi::xml_parse_result result = parsed->document.load_buffer(
        parsed->before.data(), parsed->before.size(), kAsWritten, pugi::encoding_utf8);
    if (!result) {
        problem = "cannot read " + mainFile +
                  " as Double Commander's settings: " + result.description() + " at byte " +
                  std::to_string(result.offset);
        return false;
    }
    if (const char* unlike = UnlikeTheHostsFile(parsed->document, parsed->before)) {
        problem = "cannot read " + mainFile + " as Double Commander's settings: " + unlike;
        return false;
    }
    KeepOpenEmptyElements(parsed->document, parsed->before);
    parsed->marked = parsed->before.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (!parsed->Root()) {
        problem = "cannot read " + mainFile +
                  " as Double Commander's settings: its root element is not <doublecmd>";
        return false;
    }
    return true;
}

void HostSettingsDocument::LoadEmpty() {
    parsed->document.reset();
    parsed->document.append_child("doublecmd");
}

std::string HostSettingsDocument::HostVersion() const {
    return parsed->Root().attribute("DCVersion").value();
}

std::string HostSettingsDocument::RegisteredPluginPath(const std::string& name) const {
    pugi::xml_node list = parsed->Root().first_element_by_path("Plugins/WdxPlugins");
    for (pugi::xml_node plugin : list.children("WdxPlugin"))
        if (name == plugin.child_value("Name"))
            return plugin.child_value("Path");
    return std::string();
}

std::string HostSettingsDocument::Fingerprint(const ItemRef& item) const {
    const pugi::xml_node node = parsed->Find(item);
    if (!node)
        return std::string();
    // Read again as the file was read when earlier installs recorded their
    // fingerprints: without its layout, its line ends as one.
    TextWriter asWritten;
    node.print(asWritten, "", pugi::format_raw, pugi::encoding_utf8);
    pugi::xml_document copy;
    copy.load_buffer(asWritten.text.data(), asWritten.text.size(), kAsMeant, pugi::encoding_utf8);
    StripLook(copy.first_child());
    TextWriter writer;
    copy.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return writer.text;
}

void HostSettingsDocument::AddPlugin(const PluginEntry& plugin) {
    parsed->edited = true;
    pugi::xml_node node = AppendLaidOut(parsed->List(ItemKind::kPlugin), "WdxPlugin");
    AddText(node, "Name", plugin.name);
    AddText(node, "Path", plugin.path);
    AddText(node, "DetectString", "");
}

void HostSettingsDocument::AddColumnView(const std::string& name, const std::string& pluginName) {
    parsed->edited = true;
    pugi::xml_node view = AppendLaidOut(parsed->List(ItemKind::kColumnView), "ColumnsSet");
    view.append_attribute("UseFrameCursor").set_value("False");
    AddText(view, "Name", name);
    AddText(view, "CustomView", "False");
    AddText(view, "FileSystem", "<General>");
    // The widths below are for a screen of the pixels per inch the host
    // wrote for its first view (96 without one): it scales them from there to
    // the screen it runs on.
    const char* perInch =
        parsed->Root().first_element_by_path("ColumnsSets/ColumnsSet").child_value("PixelsPerInch");
    AddText(view, "PixelsPerInch", perInch[0] != '\0' ? perInch : "96");
    pugi::xml_node border = AppendLaidOut(view, "CursorBorder");
    border.append_attribute("Enabled").set_value("False");
    AddText(border, "Color", "-2147483635");
    pugi::xml_node columns = AppendLaidOut(view, "Columns");
    // The group beside the name, where a panel of the host's first window
    // still shows it.
    AddColumn(columns, "Name", "[DC().GETFILENAMENOEXT{}]", 220, 0);
    AddColumn(columns, "Ext", "[DC().GETFILEEXT{}]", 50, 0);
    AddColumn(columns, "Group name", "[Plugin(" + pluginName + ").Group name{}]", 120, 0);
    AddColumn(columns, "Size", "[DC().GETFILESIZE{}]", 70, 1);
    AddColumn(columns, "Date", "[DC().GETFILETIME{}]", 140, 1);
}

void HostSettingsDocument::AddKindColour(const std::string& name, const std::string& pluginName,
                                         const std::string& kind, PaletteColour colour) {
    parsed->edited = true;
    pugi::xml_node search = AppendLaidOut(parsed->List(ItemKind::kSearchTemplate), "Template");
    AddText(search, "Name", name);
    // Every file, wherever it is: the colour asks only about the file's kind.
    const char* const kEmpty[] = {"StartPath", "ExcludeDirectories"};
    for (const char* field : kEmpty)
        AddText(search, field, "");
    AddText(search, "FilesMasks", "*");
    AddText(search, "ExcludeFiles", "");
    AddText(search, "SearchDepth", "-1");
    AddText(search, "IsPartialNameSearch", "True");
    const char* const kOff[] = {"RegExp", "FollowSymLinks", "FindInArchives"};
    for (const char* field : kOff)
        AddText(search, field, "False");
    AddText(search, "AttributesPattern", "");
    const char* const kNoLimit[] = {"IsDateFrom",     "IsDateTo",       "IsTimeFrom",  "IsTimeTo",
                                    "IsNotOlderThan", "IsFileSizeFrom", "IsFileSizeTo"};
    for (const char* field : kNoLimit)
        AddText(search, field, "False");
    AddText(search, "FileSizeUnit", "1");
    const char* const kNoText[] = {"IsFindText",    "IsReplaceText",     "HexValue",
                                   "CaseSensitive", "NotContainingText", "TextRegExp"};
    for (const char* field : kNoText)
        AddText(search, field, "False");
    AddText(search, "TextEncoding", "Default");
    AddText(search, "OfficeXML", "False");
    AppendLaidOut(search, "Duplicates").append_attribute("Enabled").set_value("False");
    AddText(search, "SearchPlugin", "");
    pugi::xml_node plugins = AppendLaidOut(search, "ContentPlugins");
    plugins.append_attribute("Enabled").set_value("True");
    plugins.append_attribute("Combine").set_value("True");
    pugi::xml_node condition = AppendLaidOut(plugins, "Plugin");
    AddText(condition, "Name", pluginName);
    AddText(condition, "Field", "Group name");
    AddText(condition, "Unit", "");
    // A text field (8: the interface's string type) compared by "=" without
    // regard to letter case (6), as the host's search dialog saves
    // "Group name = KIND".
    AddText(condition, "FieldType", "8");
    AddText(condition, "Compare", "6");
    AddText(condition, "Value", kind);

    pugi::xml_node filter = AppendLaidOut(parsed->List(ItemKind::kFileColour), "Filter");
    AddText(filter, "Name", name);
    AddText(filter, "FileMasks", ">" + name);
    const long bgr = colour.red | colour.green << 8 | colour.blue << 16;
    AddText(filter, "Color", std::to_string(bgr));
    AddText(filter, "Attributes", "");
}

// The item's line goes with it, and a list it leaves with nothing but
// blanks is written <List/>, as the host writes an empty one.
void HostSettingsDocument::Remove(const ItemRef& item) {
    const pugi::xml_node node = parsed->Find(item);
    if (!node)
        return;
    pugi::xml_node list = node.parent();
    if (IsBlankText(node.previous_sibling()))
        list.remove_child(node.previous_sibling());
    list.remove_child(node);
    pugi::xml_node kept = list.first_child();
    while (IsBlankText(kept))
        kept = kept.next_sibling();
    if (!kept)
        list.remove_children();
    parsed->edited = true;
}

std::vector<SettingsFile> HostSettingsDocument::Files() const {
    if (!parsed->edited)
        return {{parsed->path, parsed->before, parsed->before}};
    TextWriter writer;
    parsed->document.save(writer, "",
                          pugi::format_raw | pugi::format_no_declaration |
                              (parsed->marked ? pugi::format_write_bom : 0u),
                          pugi::encoding_utf8);
    return {{parsed->path, parsed->before, writer.text}};
}

std::vector<ItemRef> HostSettingsDocument::ItemsNamedAfter(const std::string& pluginName) const {
    std::vector<ItemRef> items;
    const std::string prefix = pluginName + ": ";
    for (ItemKind kind : {ItemKind::kPlugin, ItemKind::kColumnView, ItemKind::kSearchTemplate,
                          ItemKind::kFileColour}) {
        const pugi::xml_node list = parsed->Root().first_element_by_path(PlaceOf(kind).listPath);
        for (pugi::xml_node node : list.children(PlaceOf(kind).element)) {
            const std::string name = node.child_value("Name");
            if (name == pluginName || name.compare(0, prefix.size(), prefix) == 0)
                items.push_back({kind, name});
        }
    }
    return items;
}

std::vector<ItemUse> HostSettingsDocument::Uses(const std::string& pluginName) const {
    std::vector<ItemUse> uses;
    const ItemRef plugin{ItemKind::kPlugin, pluginName};
    const std::string field = "[Plugin(" + pluginName + ").";
    const pugi::xml_node root = parsed->Root();
    for (pugi::xml_node view : root.child("ColumnsSets").children("ColumnsSet"))
        for (pugi::xml_node column : view.child("Columns").children("Column"))
            if (std::string(column.child_value("FuncString")).find(field) != std::string::npos) {
                uses.push_back({{ItemKind::kColumnView, view.child_value("Name")}, plugin});
                break;
            }
    for (pugi::xml_node search : root.child("SearchTemplates").children("Template"))
        for (pugi::xml_node condition : search.child("ContentPlugins").children("Plugin"))
            if (pluginName == condition.child_value("Name")) {
                uses.push_back({{ItemKind::kSearchTemplate, search.child_value("Name")}, plugin});
                break;
            }
    // A colour's masks, split at ';', name a template as ">NAME".
    for (pugi::xml_node filter :
         root.first_element_by_path("Colors/FileFilters").children("Filter")) {
        const std::string masks = filter.child_value("FileMasks");
        for (std::size_t start = 0; start <= masks.size();) {
            std::size_t end = masks.find(';', start);
            if (end == std::string::npos)
                end = masks.size();
            if (end > start && masks[start] == '>')
                uses.push_back(
                    {{ItemKind::kFileColour, filter.child_value("Name")},
                     {ItemKind::kSearchTemplate, masks.substr(start + 1, end - start - 1)}});
            start = end + 1;
        }
    }
    return uses;
}

const char* HostSettingsDocument::KeptBecause(const ItemRef&) const {
    return nullptr;
}

const char* HostSettingsDocument::HostName() {
    return "Double Commander";
}
const char* HostSettingsDocument::FileName() {
    return "doublecmd.xml";
}
const char* HostSettingsDocument::TestedVersion() {
    return "1.0.10";
}
std::vector<const char*> HostSettingsDocument::ProgramNames() {
    return {"doublecmd"};
}

// A colour finds its files through a mask list, which ';' splits; the file
// is UTF-8 XML, which holds neither other bytes nor control characters (the
// host would not read the file back at all).
const char* HostSettingsDocument::UnfitName(const std::string& name) {
    if (!IsValidUtf8(name) || HasControlCharacters(name))
        return "bytes that are not UTF-8 text, which the host's settings cannot hold";
    return name.find(';') != std::string::npos ? "a ';', which the host's masks split at" : nullptr;
}

std::string HostSettingsDocument::PathForHost(const std::string& file) {
    return file;
}
std::string HostSettingsDocument::FileOfHostPath(const std::string& hostPath) {
    return hostPath;
}
// Under $XDG_DATA_HOME (~/.local/share without it), where a user's programs
// keep their data: the host has no plugin folder of the user's own.
std::string HostSettingsDocument::PluginFolder(const std::string&, std::string& problem) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
        return std::string(dataHome) + "/lumbrasket/";
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/share/lumbrasket/";
    problem = "neither XDG_DATA_HOME nor HOME names a folder";
    return std::string();
}

// A host started with --config-dir keeps its settings there and nowhere
// else (the tests run hosts of their own that way); one without keeps them
// in the folder its environment names, which may be this one.
bool HostSettingsDocument::MayWriteFolder(const std::vector<std::string>& arguments,
                                          const std::string& folder) {
    const std::string option = "--config-dir";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string given;
        if (arguments[i].compare(0, option.size() + 1, option + "=") == 0)
            given = arguments[i].substr(option.size() + 1);
        else if (arguments[i] == option && i + 1 < arguments.size())
            given = arguments[i + 1];
        else
            continue;
        std::error_code error;
        return std::filesystem::equivalent(given, folder, error) || error;
    }
    return true;
}

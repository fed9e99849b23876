// The host's settings file as `install` edits it: Double Commander's
// doublecmd.xml on Linux, Total Commander's wincmd.ini on Windows (each in a
// file of its own, built for its system). Every item install adds carries
// the plugin's name in its own, by which it is found again; what the user
// may have changed in an item since is its fingerprint.
#pragma once

#include "tools/install/kind_palette.h"

#include <memory>
#include <string>
#include <vector>

enum class ItemKind { kPlugin, kColumnView, kSearchTemplate, kFileColour };

// One item of the host's settings, by its kind and the name it carries.
struct ItemRef {
    ItemKind kind;
    std::string name;
};

// What install puts in, in the host's terms.
struct PluginEntry {
    std::string name; // the plugin's name, as the host lists it and fields name it
    std::string path; // its file, as the host is to load it
};

class HostSettingsDocument {
public:
    HostSettingsDocument();
    ~HostSettingsDocument();
    HostSettingsDocument(const HostSettingsDocument&) = delete;
    HostSettingsDocument& operator=(const HostSettingsDocument&) = delete;

    // False, with the parser's words and where, for a text that is not a
    // settings file of this host.
    bool Parse(const std::string& text, std::string& problem);
    // The host version that wrote the file, as the file says it; empty when
    // it says none.
    std::string HostVersion() const;
    // The path of the content plugin of that name the host lists; empty when
    // it lists none.
    std::string RegisteredPluginPath(const std::string& name) const;

    // The item's fingerprint: the parts of it a user may change (a column
    // view's columns, a colour), one per line; empty when there is no such
    // item.
    std::string Fingerprint(const ItemRef& item) const;

    void AddPlugin(const PluginEntry& plugin);
    // A column view named after the plugin: name, extension, size, date and
    // the plugin's "Group name".
    void AddColumnView(const std::string& name, const std::string& pluginName);
    // A search template on the plugin's "Group name" for the kind, and a
    // file-type colour that uses it; both named `name`.
    void AddKindColour(const std::string& name, const std::string& pluginName,
                       const std::string& kind, PaletteColour colour);
    // Takes the item out; the list it was in stays, empty or not, as the
    // host writes it.
    void Remove(const ItemRef& item);

    // The file's text as the host writes it.
    std::string Text() const;

    // Why install cannot edit this host's settings yet; null when it can.
    static const char* NotYetSupported();
    // What the host is called, its settings file's name, the host version
    // the tests cover, and its program's name in the system's process list.
    static const char* HostName();
    static const char* FileName();
    static const char* TestedVersion();
    static const char* ProgramName();
    // Whether a running host with these arguments (empty when unknown) may
    // write the settings in `folder` when it quits.
    static bool MayWriteFolder(const std::vector<std::string>& arguments,
                               const std::string& folder);
    // A settings file with nothing in it but what the host needs to read it.
    static const char* EmptyText();
    // The folder of the user's own that the plugin is copied into (ending in
    // a separator); empty, with the reason, when there is none.
    static std::string PluginFolder(std::string& problem);

private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed;
};

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

// An item that shows or finds by another: a view or a search template by
// a plugin's field, a file-type colour by a search template.
struct ItemUse {
    ItemRef user;
    ItemRef used;
};

// What install puts in, in the host's terms.
struct PluginEntry {
    std::string name; // the plugin's name, as the host lists it and fields name it
    std::string path; // its file, as the host is to load it
};

// A file of the host's settings that install reads, and may edit.
struct SettingsFile {
    std::string path;   // as the host names it
    std::string before; // as it was read
    std::string after;  // with install's edits
};

class HostSettingsDocument {
public:
    HostSettingsDocument();
    ~HostSettingsDocument();
    HostSettingsDocument(const HostSettingsDocument&) = delete;
    HostSettingsDocument& operator=(const HostSettingsDocument&) = delete;

    // Reads the host's settings from its main file and from every file a
    // section install edits is sent to. False, with the file and the words
    // of the reader or the parser, when one cannot be read or is not a
    // settings file of this host.
    bool Load(const std::string& mainFile, std::string& problem);
    // Settings with nothing in them but what the host needs to read them,
    // for an item made apart.
    void LoadEmpty();
    // The host version that wrote the settings, as they say it; empty when
    // they say none.
    std::string HostVersion() const;
    // The path of the content plugin of that name the host lists; empty when
    // it lists none.
    std::string RegisteredPluginPath(const std::string& name) const;

    // The item's fingerprint: the parts of it a user may change (a column
    // view's columns, a colour), as one text; empty when there is no such
    // item.
    std::string Fingerprint(const ItemRef& item) const;
    // The items that carry the plugin's name as theirs: the plugin's entry
    // and the items named after it ("NAME" or "NAME: ..."), whoever made them.
    std::vector<ItemRef> ItemsNamedAfter(const std::string& pluginName) const;
    // Every use of the plugin's fields, and of a search template by a
    // file-type colour, whoever made the items.
    std::vector<ItemUse> Uses(const std::string& pluginName) const;
    // Why the item cannot be taken out without changing what the user sees
    // of others; null when it can.
    const char* KeptBecause(const ItemRef& item) const;

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

    // The files read, each with its text before and after the edits.
    std::vector<SettingsFile> Files() const;

    // What the host is called, its main settings file's name, the host
    // version the tests cover (empty: the settings name none to check), and
    // its programs' names in the system's process list.
    static const char* HostName();
    static const char* FileName();
    static const char* TestedVersion();
    static std::vector<const char*> ProgramNames();
    // Whether a running host with these arguments (empty when unknown) may
    // write the settings in `folder` when it quits.
    static bool MayWriteFolder(const std::vector<std::string>& arguments,
                               const std::string& folder);
    // A name the host's lists cannot hold as an item's, in words; null when
    // it can.
    static const char* UnfitName(const std::string& name);
    // The folder of the user's own that the plugin is copied into (ending in
    // a separator), given the host's program (may be empty); empty, with the
    // reason, when there is none.
    static std::string PluginFolder(const std::string& hostProgram, std::string& problem);
    // The plugin file's path as the host's settings are to name it, and the
    // file such a path names for this program to load.
    static std::string PathForHost(const std::string& file);
    static std::string FileOfHostPath(const std::string& hostPath);

private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed;
};

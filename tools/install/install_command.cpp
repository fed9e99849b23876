// install and uninstall: the plugin's copy and the items planned, then
// carried out through host_files, which keeps the host's files safe.
#include "tools/install/install_command.h"

#include "groups/group_catalog.h"
#include "platform/file_protection.h"
#include "platform/host_policy.h"
#include "platform/text/fnv_hash.h"
#include "platform/win32.h"
#include "settings/plugin_name.h"
#include "settings/settings_location.h"
#include "tools/files/replaced_file.h"
#include "tools/install/host_files.h"
#include "tools/install/host_settings_document.h"
#include "tools/install/install_record.h"
#include "tools/lumbrasket/loaded_plugin.h"
#include "tools/lumbrasket/settings_check.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string FileNameOf(const std::string& path) {
    return path.substr(FolderOf(path).size());
}

// The fingerprint an item gets when install adds it: made in empty
// settings, then read back.
template <typename Add> std::string AddedFingerprint(const ItemRef& item, Add add) {
    HostSettingsDocument scratch;
    scratch.LoadEmpty();
    add(scratch);
    return scratch.Fingerprint(item);
}

std::uint64_t FileHash(const std::string& path, bool& readable) {
    std::string bytes;
    std::string reason;
    readable = ReadWholeFile(path, bytes, reason);
    return readable ? FnvHash(bytes) : 0;
}

// Whether a user other than this one may replace what is in the folder or
// in any folder above it.
bool OthersMayReplace(const std::string& folder, std::string& which) {
    std::error_code error;
    for (fs::path at = fs::path(folder).lexically_normal(); !at.empty();) {
        if (fs::exists(at, error) && OthersMayWriteFolder(at.string().c_str())) {
            which = at.string();
            return true;
        }
        const fs::path up = at.parent_path();
        if (up == at)
            break;
        at = up;
    }
    return false;
}

// The table in use for the host's settings, by the plugin's own rules, with
// the plugin file at `pluginFile`: its kinds in their order, the fallback
// group left out, each name once.
std::vector<std::string> KindsInUse(const InstallRequest& request, const std::string& pluginFile,
                                    std::string& settingsFile) {
    LoadedPlugin plugin(pluginFile);
    std::string report;
    settingsFile = ExplainSettingsLocation(plugin.Module(), request.hostProgram,
                                           request.hostSettingsPath, report);
    GroupCatalog catalog;
    catalog.LoadGroups(settingsFile);
    std::vector<std::string> kinds;
    std::set<std::string> seen;
    for (const FileGroup& group : catalog.Groups()) {
        const std::string name(group.name);
        if (!name.empty() && seen.insert(name).second)
            kinds.push_back(name);
    }
    return kinds;
}

// A plugin copy install makes: the file and where it goes.
struct PlannedCopy {
    std::string from;
    std::string to;
};

// One change of the host's settings, for the person and for the record.
struct PlannedItem {
    ItemRef item;
    std::string fingerprint;
};

struct InstallPlan {
    std::vector<PlannedCopy> copies;
    std::vector<PlannedItem> items;
    std::vector<std::string> notes;
};

// Makes the folder and those above it that are missing, each the user's
// own (on Linux not even the user's group may write it, whatever the
// umask: a folder install made must pass its own check the next time).
void MakeFolders(const fs::path& folder) {
    std::error_code error;
    if (folder.empty() || fs::exists(folder, error))
        return;
    const fs::path up = folder.parent_path();
    if (up != folder)
        MakeFolders(up);
    MakeOwnFolder(folder.string().c_str());
}

bool CopyFile(const PlannedCopy& copy, std::string& reason) {
    std::string bytes;
    if (!ReadWholeFile(copy.from, bytes, reason))
        return false;
    return ReplaceWithText(copy.to, bytes, "lumbrasket", reason);
}

// Adds one item unless an item of its name is there: the same as install
// makes it, or as an earlier install recorded it, counts as in place; any
// other is the user's, and stays.
template <typename Add>
void PlanItem(HostFile& host, const InstallRecord& record, const ItemRef& item, Add add,
              InstallPlan& plan) {
    const std::string current = host.document.Fingerprint(item);
    const std::string added = AddedFingerprint(item, add);
    if (current.empty()) {
        add(host.document);
        plan.items.push_back({item, added});
        return;
    }
    bool recorded = current == added;
    for (const RecordedItem& earlier : record.items)
        recorded = recorded || (earlier.item.kind == item.kind && earlier.item.name == item.name &&
                                earlier.fingerprint == current);
    if (!recorded)
        plan.notes.push_back(std::string("a ") + ItemKindText(item.kind) + " named " +
                             Quoted(item.name) +
                             " is there already and is not install's: " + "left as it is");
}

InstallOutcome PlanPlugin(const InstallRequest& request, HostFile& host,
                          const InstallRecord& record, InstallPlan& plan, std::string& pluginFile) {
    LoadedPlugin plugin(request.sourcePlugin);
    if (!plugin.Problem().empty()) {
        Complain(plugin.Problem());
        return InstallOutcome::kNotAPlugin;
    }
    std::string problem;
    const std::string folder = HostSettingsDocument::PluginFolder(request.hostProgram, problem);
    if (folder.empty()) {
        Complain("no plugin folder of your own: " + problem);
        return InstallOutcome::kCannotWrite;
    }
    // A name the system gave with '?' for a character the code page lacks
    // names no file the host could open.
    if (kHostNamesMayHoldReplacedCharacters && folder.find('?') != std::string::npos) {
        Complain("the plugin folder " + folder +
                 " holds a character the system's code page "
                 "cannot write, so the host could not load a plugin from it");
        return InstallOutcome::kCannotWrite;
    }
    const std::string target = folder + FileNameOf(request.sourcePlugin);
    const std::string hostPath = HostSettingsDocument::PathForHost(target);
    const std::string registered = host.document.RegisteredPluginPath(kPluginName);
    if (!registered.empty() && registered != hostPath) {
        plan.notes.push_back(std::string(HostSettingsDocument::HostName()) + " lists " +
                             kPluginName + " at " + registered + " already: install uses it");
        pluginFile = HostSettingsDocument::FileOfHostPath(registered);
        return InstallOutcome::kDone;
    }
    pluginFile = target;
    std::string which;
    if (OthersMayReplace(folder, which)) {
        Complain("other users may write " + which + ", so they could replace the plugin the host " +
                 "loads: install copies it only into a folder that is yours alone");
        return InstallOutcome::kCannotWrite;
    }
    // Both editions where the archive has both (the host picks its own),
    // and the sample table beside them, the last place the plugin looks,
    // unless a table of the user's is there.
    const std::string source = FolderOf(request.sourcePlugin);
    for (const char* extension : {".wdx", ".wdx64"}) {
        const std::string name = std::string(kPluginName) + extension;
        bool readable = false;
        const std::uint64_t wanted = FileHash(source + name, readable);
        bool present = false;
        if (readable && (FileHash(folder + name, present) != wanted || !present))
            plan.copies.push_back({source + name, folder + name});
    }
    const std::string sample = source + kPluginName + ".ini";
    const std::string sampleTarget = folder + kPluginName + ".ini";
    if (PathExists(sample.c_str()) && !PathExists(sampleTarget.c_str()))
        plan.copies.push_back({sample, sampleTarget});
    PlanItem(
        host, record, {ItemKind::kPlugin, kPluginName},
        [&](HostSettingsDocument& document) {
            document.AddPlugin({kPluginName, hostPath});
        },
        plan);
    return InstallOutcome::kDone;
}

void PlanColours(const InstallRequest& request, HostFile& host, const InstallRecord& record,
                 const std::string& pluginFile, InstallPlan& plan) {
    // Before the copy, the plugin's folder holds what the copy will: the
    // source beside its sample stands in for it.
    const std::string probe = PathExists(pluginFile.c_str()) ? pluginFile : request.sourcePlugin;
    std::string settingsFile;
    const std::vector<std::string> kinds = KindsInUse(request, probe, settingsFile);
    Say("kinds from " + settingsFile + ": " + std::to_string(kinds.size()));
    std::size_t coloured = 0;
    for (const std::string& kind : kinds) {
        if (const char* unfit = HostSettingsDocument::UnfitName(kind)) {
            plan.notes.push_back("the kind " + Quoted(kind) + " holds " + unfit +
                                 ": it gets no colour");
            continue;
        }
        if (coloured == kPaletteSize) {
            plan.notes.push_back("only the first " + std::to_string(kPaletteSize) +
                                 " kinds get a colour; " + Quoted(kind) + " and those after " +
                                 "it keep the panel's");
            break;
        }
        const std::string name = std::string(kPluginName) + ": " + kind;
        const PaletteColour colour = KindColour(coloured++);
        const auto add = [&](HostSettingsDocument& document) {
            document.AddKindColour(name, kPluginName, kind, colour);
        };
        // Both items of a kind are made together, and known by the template.
        const std::size_t before = plan.items.size();
        PlanItem(host, record, {ItemKind::kSearchTemplate, name}, add, plan);
        if (plan.items.size() != before) {
            HostSettingsDocument scratch;
            scratch.LoadEmpty();
            add(scratch);
            plan.items.push_back({{ItemKind::kFileColour, name},
                                  scratch.Fingerprint({ItemKind::kFileColour, name})});
        }
    }
}

// One line for the items of a file: each by kind and name, except the
// kinds' colours, which are named together by their kinds.
void SayItems(const std::string& doing, const std::vector<ItemRef>& items) {
    if (items.empty())
        return;
    const std::string prefix = std::string(kPluginName) + ": ";
    std::string named;
    std::string kinds;
    std::size_t colours = 0;
    for (const ItemRef& item : items) {
        if (item.kind == ItemKind::kFileColour)
            continue;
        if (item.kind == ItemKind::kSearchTemplate) {
            kinds += (colours++ == 0 ? "" : ", ") + item.name.substr(prefix.size());
            continue;
        }
        named += (named.empty() ? "the " : ", the ") + std::string(ItemKindText(item.kind)) + " " +
                 Quoted(item.name);
    }
    if (colours > 0)
        named += std::string(named.empty() ? "" : "; ") + "the colour (a search template and a " +
                 "file-type colour named \"" + prefix + "KIND\") of " + std::to_string(colours) +
                 (colours == 1 ? " kind: " : " kinds: ") + kinds;
    Say(doing + ": " + named);
}

// The host's files the edits so far change, by name ("A and B"): the host
// may keep the sections install edits in files of their own.
std::string ChangedFiles(const HostFile& host) {
    std::string names;
    for (const SettingsFile& file : host.document.Files())
        if (file.after != file.before)
            names += (names.empty() ? "" : " and ") + file.path;
    return names.empty() ? host.path : names;
}

void SayPlan(const InstallPlan& plan, const HostFile& host, bool dryRun) {
    for (const PlannedCopy& copy : plan.copies)
        Say(std::string(dryRun ? "would copy " : "copies ") + copy.from + " to " + copy.to);
    std::vector<ItemRef> items;
    for (const PlannedItem& planned : plan.items)
        items.push_back(planned.item);
    SayItems(std::string(dryRun ? "would add to " : "adds to ") + ChangedFiles(host), items);
    for (const std::string& note : plan.notes)
        Say("note: " + note);
}

// The plan written: the copies first (a file new to its folder is taken
// away again when a later step fails, so that nothing is left that the
// record does not name), then the host's file and the record. An item or a
// file added again replaces its earlier entry in the record.
bool CarryOut(const InstallPlan& plan, HostFile& host, InstallRecord& record) {
    std::vector<std::string> made;
    const auto undo = [&made] {
        std::error_code error;
        for (const std::string& file : made) {
            DeleteFileA(file.c_str());
            fs::remove(FolderOf(file), error); // when nothing else is in it
        }
    };
    for (const PlannedCopy& copy : plan.copies) {
        const bool existed = PathExists(copy.to.c_str()) != 0;
        MakeFolders(fs::path(copy.to).parent_path());
        std::string reason;
        if (!CopyFile(copy, reason)) {
            Complain("cannot copy " + copy.from + " to " + copy.to + ": " + reason +
                     "; the host's settings are left as they were");
            undo();
            return false;
        }
        if (!existed)
            made.push_back(copy.to);
        bool readable = false;
        const RecordedFile file{copy.to, FileHash(copy.to, readable)};
        auto& files = record.files;
        files.erase(
            std::remove_if(files.begin(), files.end(),
                           [&](const RecordedFile& earlier) { return earlier.path == file.path; }),
            files.end());
        files.push_back(file);
    }
    for (const PlannedItem& planned : plan.items) {
        auto& items = record.items;
        items.erase(std::remove_if(items.begin(), items.end(),
                                   [&](const RecordedItem& earlier) {
                                       return earlier.item.kind == planned.item.kind &&
                                              earlier.item.name == planned.item.name;
                                   }),
                    items.end());
        items.push_back({planned.item, planned.fingerprint});
    }
    bool written = false;
    if (WriteHostFile(host, record, written))
        return true;
    // Once the host's file names the plugin, its copy must stay.
    if (!written)
        undo();
    return false;
}

} // namespace

InstallOutcome RunInstall(const InstallRequest& request) {
    HostFile host;
    InstallOutcome outcome = OpenHostFile(request, host);
    if (outcome != InstallOutcome::kDone)
        return outcome;
    bool recordFound = false;
    InstallRecord record = ReadRecord(host, recordFound);
    InstallPlan plan;
    std::string pluginFile;
    outcome = PlanPlugin(request, host, record, plan, pluginFile);
    if (outcome != InstallOutcome::kDone)
        return outcome;
    PlanItem(
        host, record, {ItemKind::kColumnView, kPluginName},
        [](HostSettingsDocument& document) { document.AddColumnView(kPluginName, kPluginName); },
        plan);
    if (request.colours)
        PlanColours(request, host, record, pluginFile, plan);
    SayPlan(plan, host, request.dryRun);
    if (plan.copies.empty() && plan.items.empty()) {
        Say("nothing to change: install's items are in place");
        return InstallOutcome::kDone;
    }
    if (request.dryRun)
        return InstallOutcome::kDone;
    if (!CarryOut(plan, host, record))
        return InstallOutcome::kCannotWrite;
    Say(std::string("done: in ") + HostSettingsDocument::HostName() + ", choose the view " +
        Quoted(kPluginName) + " from the menu of a panel's column header");
    return InstallOutcome::kDone;
}

namespace {

// Whether the kept item `user` stops working without `used`: a file-type
// colour names its search template, and a column view or a template names
// the plugin's field.
bool Uses(const ItemRef& user, const ItemRef& used) {
    if (used.kind == ItemKind::kPlugin)
        return user.kind != ItemKind::kPlugin;
    return user.kind == ItemKind::kFileColour && used.kind == ItemKind::kSearchTemplate &&
           user.name == used.name;
}

// Keeps every present item that a kept item uses, with the reason, until
// nothing more is kept: an item the user changed and kept goes on working.
void KeepWhatKeptItemsUse(const InstallRecord& record, const std::vector<bool>& present,
                          std::vector<const char*>& keptBecause) {
    for (bool more = true; more;) {
        more = false;
        for (std::size_t used = 0; used < record.items.size(); ++used) {
            if (!present[used] || keptBecause[used] != nullptr)
                continue;
            for (std::size_t user = 0; user < record.items.size(); ++user)
                if (keptBecause[user] != nullptr &&
                    Uses(record.items[user].item, record.items[used].item)) {
                    keptBecause[used] = record.items[used].item.kind == ItemKind::kPlugin
                                            ? "an item left in place shows its field"
                                            : "a file-type colour left in place uses it";
                    more = true;
                    break;
                }
        }
    }
}

} // namespace

InstallOutcome RunUninstall(const InstallRequest& request) {
    HostFile host;
    const InstallOutcome outcome = OpenHostFile(request, host);
    if (outcome != InstallOutcome::kDone)
        return outcome;
    bool found = false;
    const InstallRecord record = ReadRecord(host, found);
    if (!found) {
        Say(std::string("nothing to take out: ") + host.folder + kInstallRecordName +
            " (install's record of what it added) is not there");
        return InstallOutcome::kDone;
    }
    // Each item judged by itself first: gone, kept (the user changed it,
    // or others rely on its place), or to be taken out.
    std::vector<const char*> keptBecause(record.items.size(), nullptr);
    std::vector<bool> present(record.items.size(), false);
    for (std::size_t i = 0; i < record.items.size(); ++i) {
        const RecordedItem& recorded = record.items[i];
        const std::string current = host.document.Fingerprint(recorded.item);
        present[i] = !current.empty();
        if (!present[i])
            continue;
        keptBecause[i] = host.document.KeptBecause(recorded.item);
        if (keptBecause[i] == nullptr && current != recorded.fingerprint)
            keptBecause[i] = "changed since install";
    }
    KeepWhatKeptItemsUse(record, present, keptBecause);
    InstallRecord left;
    std::vector<ItemRef> removed;
    for (std::size_t i = 0; i < record.items.size(); ++i) {
        const RecordedItem& recorded = record.items[i];
        const std::string what = std::string("the ") + ItemKindText(recorded.item.kind) + " " +
                                 Quoted(recorded.item.name);
        if (!present[i]) {
            Say(what + " is gone already");
        } else if (keptBecause[i] != nullptr) {
            left.items.push_back(recorded);
            Say("left in place: " + what + ", " + keptBecause[i]);
        } else {
            host.document.Remove(recorded.item);
            removed.push_back(recorded.item);
        }
    }
    SayItems(std::string(request.dryRun ? "would take out of " : "takes out of ") +
                 ChangedFiles(host),
             removed);
    const bool pluginKept =
        std::any_of(left.items.begin(), left.items.end(), [](const RecordedItem& recorded) {
            return recorded.item.kind == ItemKind::kPlugin;
        });
    std::vector<RecordedFile> removable;
    for (const RecordedFile& file : record.files) {
        bool present = false;
        const std::uint64_t hash = FileHash(file.path, present);
        if (!present)
            continue;
        if (pluginKept) {
            left.files.push_back(file);
            Say("left in place: " + file.path + ", the content plugin entry that loads it stays");
        } else if (hash == file.hash) {
            removable.push_back(file);
            Say(std::string(request.dryRun ? "would remove " : "removes ") + file.path);
        } else {
            left.files.push_back(file);
            Say("left in place: " + file.path + ", changed since install");
        }
    }
    if (request.dryRun)
        return InstallOutcome::kDone;
    bool written = false;
    if (!WriteHostFile(host, left, written))
        return InstallOutcome::kCannotWrite;
    std::error_code error;
    for (const RecordedFile& file : removable) {
        DeleteFileA(file.path.c_str());
        // The plugin's own folder goes when nothing else is in it.
        fs::remove(FolderOf(file.path), error);
    }
    Say("done");
    return InstallOutcome::kDone;
}

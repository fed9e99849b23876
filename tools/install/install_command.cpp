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

// One change of the host's settings, for the person and for the record.
struct PlannedItem {
    ItemRef item;
    std::string fingerprint;
};

struct InstallPlan {
    std::vector<CopiedFile> copies;
    std::vector<PlannedItem> items;
    // In place as install makes them, but on no record: an earlier run
    // stopped before it wrote one. They go on the record now.
    std::vector<PlannedItem> adopted;
    std::vector<RecordedFile> adoptedFiles;
    // Install's colours of kinds the table no longer has, taken out.
    std::vector<ItemRef> removed;
    std::vector<std::string> notes;
};

// The entry of the item in the record, when it has one.
const RecordedItem* RecordedEntry(const InstallRecord& record, const ItemRef& item) {
    for (const RecordedItem& earlier : record.items)
        if (earlier.item.kind == item.kind && earlier.item.name == item.name)
            return &earlier;
    return nullptr;
}

// Whether an item that is there already is install's: as install makes it,
// or as an earlier install recorded it. One that is install's but on no
// record is taken onto it.
template <typename Add>
bool InPlaceAsInstalls(const HostFile& host, const InstallRecord& record, const ItemRef& item,
                       Add add, InstallPlan& plan) {
    const std::string current = host.document.Fingerprint(item);
    const RecordedItem* recorded = RecordedEntry(record, item);
    if (recorded != nullptr && recorded->fingerprint == current)
        return true;
    if (current != AddedFingerprint(item, add))
        return false;
    plan.adopted.push_back({item, current});
    return true;
}

void NoteNotInstalls(const ItemRef& item, const char* consequence, InstallPlan& plan) {
    plan.notes.push_back(std::string("a ") + ItemKindText(item.kind) + " named " +
                         Quoted(item.name) +
                         " is there already and is not install's: " + consequence);
}

// Adds one item unless an item of its name is there: the same as install
// makes it, or as an earlier install recorded it, counts as in place; any
// other is the user's, and stays.
template <typename Add>
void PlanItem(HostFile& host, const InstallRecord& record, const ItemRef& item, Add add,
              InstallPlan& plan) {
    if (host.document.Fingerprint(item).empty()) {
        add(host.document);
        plan.items.push_back({item, AddedFingerprint(item, add)});
        return;
    }
    if (!InPlaceAsInstalls(host, record, item, add, plan))
        NoteNotInstalls(item, "left as it is", plan);
}

// A copy planned unless the file there has the bytes already: then it is
// taken onto the record when it is not on it.
void PlanCopy(const std::string& from, const std::string& to, const InstallRecord& record,
              InstallPlan& plan) {
    std::string bytes;
    std::string reason;
    if (!ReadWholeFile(from, bytes, reason))
        return;
    bool present = false;
    if (FileHash(to, present) != FnvHash(bytes) || !present) {
        plan.copies.push_back({to, bytes});
        return;
    }
    for (const RecordedFile& file : record.files)
        if (file.path == to)
            return;
    plan.adoptedFiles.push_back({to, FnvHash(bytes)});
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
        PlanCopy(source + name, folder + name, record, plan);
    }
    const std::string sample = std::string(kPluginName) + ".ini";
    std::string sampleBytes;
    std::string reason;
    if (ReadWholeFile(source + sample, sampleBytes, reason)) {
        bool present = false;
        const bool usersTable =
            FileHash(folder + sample, present) != FnvHash(sampleBytes) && present;
        if (!usersTable)
            PlanCopy(source + sample, folder + sample, record, plan);
    }
    PlanItem(
        host, record, {ItemKind::kPlugin, kPluginName},
        [&](HostSettingsDocument& document) {
            document.AddPlugin({kPluginName, hostPath});
        },
        plan);
    return InstallOutcome::kDone;
}

// The colours install made for kinds the table no longer has (renamed or
// taken out) go, unless the user changed them since or an item of theirs
// uses them: the colours follow the table, and a renamed kind, in the same
// place, gets its colour back under its new name.
void RemoveColoursOfKindsGone(HostFile& host, const InstallRecord& record, std::size_t coloured,
                              const std::vector<std::string>& kinds, InstallPlan& plan) {
    const std::string prefix = std::string(kPluginName) + ": ";
    std::set<std::string> current;
    for (std::size_t i = 0; i < kinds.size() && current.size() < coloured; ++i)
        if (HostSettingsDocument::UnfitName(kinds[i]) == nullptr)
            current.insert(prefix + kinds[i]);
    std::vector<RecordedItem> gone;
    for (const RecordedItem& recorded : record.items) {
        const ItemKind kind = recorded.item.kind;
        if ((kind == ItemKind::kSearchTemplate || kind == ItemKind::kFileColour) &&
            recorded.item.name.compare(0, prefix.size(), prefix) == 0 &&
            current.count(recorded.item.name) == 0 &&
            !host.document.Fingerprint(recorded.item).empty())
            gone.push_back(recorded);
    }
    const std::vector<ItemUse> uses = host.document.Uses(kPluginName);
    for (const RecordedItem& recorded : gone) {
        const char* kept = host.document.Fingerprint(recorded.item) != recorded.fingerprint
                               ? "changed since install"
                               : nullptr;
        for (const ItemUse& use : uses)
            if (kept == nullptr && use.used.kind == recorded.item.kind &&
                use.used.name == recorded.item.name &&
                !(use.user.kind == ItemKind::kFileColour && use.user.name == recorded.item.name))
                kept = "an item of yours uses it";
        if (kept != nullptr) {
            plan.notes.push_back(std::string("the ") + ItemKindText(recorded.item.kind) + " " +
                                 Quoted(recorded.item.name) +
                                 " is of a kind the table no longer has, and stays: " + kept);
            continue;
        }
        host.document.Remove(recorded.item);
        plan.removed.push_back(recorded.item);
    }
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
        // Both items of a kind are made together, and only when neither is
        // there: a colour of the user's by that name would otherwise have a
        // twin the host cannot tell apart.
        const ItemRef search{ItemKind::kSearchTemplate, name};
        const ItemRef filter{ItemKind::kFileColour, name};
        const bool searchThere = !host.document.Fingerprint(search).empty();
        const bool filterThere = !host.document.Fingerprint(filter).empty();
        if (!searchThere && !filterThere) {
            add(host.document);
            plan.items.push_back({search, AddedFingerprint(search, add)});
            plan.items.push_back({filter, AddedFingerprint(filter, add)});
            continue;
        }
        for (const ItemRef& item : {search, filter})
            if (!host.document.Fingerprint(item).empty() &&
                !InPlaceAsInstalls(host, record, item, add, plan))
                NoteNotInstalls(item, "left as it is, and the kind gets no colour of install's",
                                plan);
    }
    RemoveColoursOfKindsGone(host, record, coloured, kinds, plan);
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
        if (item.kind == ItemKind::kSearchTemplate && item.name.size() > prefix.size()) {
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
    if (!named.empty())
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

void SayPlan(const InstallPlan& plan, const HostFile& host, const InstallRequest& request) {
    const bool dryRun = request.dryRun;
    for (const CopiedFile& copy : plan.copies)
        Say(std::string(dryRun ? "would copy " : "copies ") + FolderOf(request.sourcePlugin) +
            copy.path.substr(FolderOf(copy.path).size()) + " to " + copy.path);
    std::vector<ItemRef> items;
    for (const PlannedItem& planned : plan.items)
        items.push_back(planned.item);
    SayItems(std::string(dryRun ? "would add to " : "adds to ") + ChangedFiles(host), items);
    std::vector<ItemRef> adopted;
    for (const PlannedItem& planned : plan.adopted)
        adopted.push_back(planned.item);
    SayItems(std::string(dryRun ? "would take onto " : "takes onto ") + "its record what an " +
                 "earlier run added",
             adopted);
    for (const RecordedFile& file : plan.adoptedFiles)
        Say(std::string(dryRun ? "would take onto " : "takes onto ") + "its record " + file.path +
            ", copied by an earlier run");
    SayItems(std::string(dryRun ? "would take out of " : "takes out of ") + ChangedFiles(host) +
                 ", of kinds the table no longer has",
             plan.removed);
    for (const std::string& note : plan.notes)
        Say("note: " + note);
}

// The record after the plan: an item or a file added again replaces its
// earlier entry.
void RecordPlan(const InstallPlan& plan, InstallRecord& record) {
    std::vector<RecordedFile> files = plan.adoptedFiles;
    for (const CopiedFile& copy : plan.copies)
        files.push_back({copy.path, FnvHash(copy.bytes)});
    for (const RecordedFile& file : files) {
        auto& recorded = record.files;
        recorded.erase(
            std::remove_if(recorded.begin(), recorded.end(),
                           [&](const RecordedFile& earlier) { return earlier.path == file.path; }),
            recorded.end());
        recorded.push_back(file);
    }
    for (const ItemRef& item : plan.removed) {
        auto& recorded = record.items;
        recorded.erase(std::remove_if(recorded.begin(), recorded.end(),
                                      [&](const RecordedItem& earlier) {
                                          return earlier.item.kind == item.kind &&
                                                 earlier.item.name == item.name;
                                      }),
                       recorded.end());
    }
    std::vector<PlannedItem> items = plan.items;
    items.insert(items.end(), plan.adopted.begin(), plan.adopted.end());
    for (const PlannedItem& planned : items) {
        auto& recorded = record.items;
        recorded.erase(std::remove_if(recorded.begin(), recorded.end(),
                                      [&](const RecordedItem& earlier) {
                                          return earlier.item.kind == planned.item.kind &&
                                                 earlier.item.name == planned.item.name;
                                      }),
                       recorded.end());
        recorded.push_back({planned.item, planned.fingerprint});
    }
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
    SayPlan(plan, host, request);
    if (plan.copies.empty() && plan.items.empty() && plan.adopted.empty() &&
        plan.adoptedFiles.empty() && plan.removed.empty()) {
        Say("nothing to change: install's items are in place");
        return InstallOutcome::kDone;
    }
    if (request.dryRun)
        return InstallOutcome::kDone;
    HostChange change;
    change.copies = plan.copies;
    change.record = record;
    RecordPlan(plan, change.record);
    outcome = WriteHostChange(host, change);
    if (outcome != InstallOutcome::kDone)
        return outcome;
    Say(std::string("done: in ") + HostSettingsDocument::HostName() + ", choose the view " +
        Quoted(kPluginName) + " from the menu of a panel's column header");
    return LookForTheHostAgain(host);
}

namespace {

// The fingerprints install gives an item of that name, whatever colour a
// kind got; empty for a name install gives no item of that kind.
std::vector<std::string> InstallsFingerprints(const InstallRequest& request, const ItemRef& item) {
    const std::string prefix = std::string(kPluginName) + ": ";
    std::vector<std::string> forms;
    switch (item.kind) {
    case ItemKind::kPlugin: {
        std::string problem;
        const std::string folder = HostSettingsDocument::PluginFolder(request.hostProgram, problem);
        const std::string path =
            HostSettingsDocument::PathForHost(folder + FileNameOf(request.sourcePlugin));
        if (!folder.empty() && item.name == kPluginName)
            forms.push_back(AddedFingerprint(item, [&](HostSettingsDocument& document) {
                document.AddPlugin({kPluginName, path});
            }));
        break;
    }
    case ItemKind::kColumnView:
        if (item.name == kPluginName)
            forms.push_back(AddedFingerprint(item, [](HostSettingsDocument& document) {
                document.AddColumnView(kPluginName, kPluginName);
            }));
        break;
    case ItemKind::kSearchTemplate:
    case ItemKind::kFileColour:
        if (item.name.compare(0, prefix.size(), prefix) != 0)
            break;
        for (std::size_t colour = 0; colour < kPaletteSize; ++colour) {
            forms.push_back(AddedFingerprint(item, [&](HostSettingsDocument& document) {
                document.AddKindColour(item.name, kPluginName, item.name.substr(prefix.size()),
                                       KindColour(colour));
            }));
            if (item.kind == ItemKind::kSearchTemplate)
                break; // a template does not hold the colour
        }
        break;
    }
    return forms;
}

bool SameItem(const ItemRef& a, const ItemRef& b) {
    return a.kind == b.kind && a.name == b.name;
}

// An item uninstall looks at: one the record lists, or one of the plugin's
// name that is there.
struct Candidate {
    ItemRef item;
    std::string recorded; // its fingerprint on the record
    int listed = 0;       // how often the record lists it
    bool present = false;
    bool remove = false;
    std::string keptBecause;
};

std::string Named(const ItemRef& item) {
    return std::string("the ") + ItemKindText(item.kind) + " " + Quoted(item.name);
}

// Keeps every item to be taken out that an item staying uses, until nothing
// more is kept: whatever stays goes on working, and the reason names what
// uses it.
void KeepWhatStaysUses(const std::vector<ItemUse>& uses, std::vector<Candidate>& candidates) {
    const auto removed = [&candidates](const ItemRef& item) {
        for (const Candidate& candidate : candidates)
            if (candidate.remove && SameItem(candidate.item, item))
                return true;
        return false;
    };
    for (bool more = true; more;) {
        more = false;
        for (Candidate& candidate : candidates) {
            if (!candidate.remove)
                continue;
            for (const ItemUse& use : uses)
                if (SameItem(use.used, candidate.item) && !removed(use.user)) {
                    candidate.remove = false;
                    candidate.keptBecause = std::string("a ") + ItemKindText(use.user.kind) +
                                            " that stays uses it: " + Quoted(use.user.name);
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
    // What the record lists, and what carries the plugin's name without
    // being on it (left by a run that stopped before its record).
    std::vector<Candidate> candidates;
    const auto candidateOf = [&candidates](const ItemRef& item) -> Candidate& {
        for (Candidate& candidate : candidates)
            if (SameItem(candidate.item, item))
                return candidate;
        candidates.push_back({item, std::string(), 0, false, false, std::string()});
        return candidates.back();
    };
    for (const RecordedItem& recorded : record.items) {
        Candidate& candidate = candidateOf(recorded.item);
        candidate.recorded = recorded.fingerprint;
        ++candidate.listed;
    }
    for (const ItemRef& item : host.document.ItemsNamedAfter(kPluginName))
        candidateOf(item);
    // Each item judged by itself first: gone, kept (changed by the user,
    // not as install makes it, or others rely on its place), or to be taken
    // out.
    for (Candidate& candidate : candidates) {
        const std::string current = host.document.Fingerprint(candidate.item);
        candidate.present = !current.empty();
        if (!candidate.present)
            continue;
        const std::vector<std::string> forms = InstallsFingerprints(request, candidate.item);
        const bool installs = std::find(forms.begin(), forms.end(), current) != forms.end();
        if (candidate.listed > 1)
            candidate.keptBecause = "listed more than once on the record, which install never "
                                    "writes";
        else if (candidate.listed == 1 && current != candidate.recorded)
            candidate.keptBecause = "changed since install";
        else if (!installs)
            candidate.keptBecause = candidate.listed == 0 ? "" : "not as install makes it";
        else if (const char* kept = host.document.KeptBecause(candidate.item))
            candidate.keptBecause = kept;
        else
            candidate.remove = true;
    }
    KeepWhatStaysUses(host.document.Uses(kPluginName), candidates);
    InstallRecord left;
    std::vector<ItemRef> removed;
    bool pluginKept = false;
    for (const Candidate& candidate : candidates) {
        if (!candidate.present) {
            if (candidate.listed > 0)
                Say(Named(candidate.item) + " is gone already");
        } else if (candidate.remove) {
            host.document.Remove(candidate.item);
            removed.push_back(candidate.item);
        } else if (!candidate.keptBecause.empty()) {
            if (candidate.listed > 0)
                left.items.push_back({candidate.item, candidate.recorded});
            pluginKept = pluginKept || candidate.item.kind == ItemKind::kPlugin;
            Say("left in place: " + Named(candidate.item) + ", " + candidate.keptBecause);
        }
    }
    SayItems(std::string(request.dryRun ? "would take out of " : "takes out of ") +
                 ChangedFiles(host),
             removed);
    // Files only in install's own folder, and only those it copies there:
    // the ones on the record with the bytes they had, and those with the
    // bytes install copies, left by a run that stopped before its record.
    std::string problem;
    const std::string folder = HostSettingsDocument::PluginFolder(request.hostProgram, problem);
    HostChange change;
    std::vector<std::string> looked;
    const auto judge = [&](const std::string& path, std::uint64_t wanted, bool recorded) {
        if (std::find(looked.begin(), looked.end(), path) != looked.end())
            return;
        looked.push_back(path);
        bool present = false;
        const std::uint64_t hash = FileHash(path, present);
        if (!present)
            return;
        const std::string name = path.substr(FolderOf(path).size());
        const bool ours = !folder.empty() && FolderOf(path) == folder &&
                          (name == std::string(kPluginName) + ".wdx" ||
                           name == std::string(kPluginName) + ".wdx64" ||
                           name == std::string(kPluginName) + ".ini");
        const char* kept = !ours            ? "not a file install copies into its folder"
                           : pluginKept     ? "the content plugin entry that loads it stays"
                           : hash != wanted ? "changed since install"
                                            : nullptr;
        if (kept == nullptr) {
            change.removals.push_back({path, hash, true});
            Say(std::string(request.dryRun ? "would remove " : "removes ") + path);
            return;
        }
        if (recorded) {
            left.files.push_back({path, wanted});
            Say("left in place: " + path + ", " + kept);
        }
    };
    for (const RecordedFile& file : record.files) {
        const bool once =
            std::count_if(record.files.begin(), record.files.end(),
                          [&](const RecordedFile& other) { return other.path == file.path; }) == 1;
        if (once)
            judge(file.path, file.hash, true);
    }
    const std::string source = FolderOf(request.sourcePlugin);
    for (const char* extension : {".wdx", ".wdx64", ".ini"}) {
        const std::string name = std::string(kPluginName) + extension;
        bool readable = false;
        const std::uint64_t wanted = FileHash(source + name, readable);
        if (readable && !folder.empty())
            judge(folder + name, wanted, false);
    }
    if (!found && removed.empty() && change.removals.empty()) {
        Say(std::string("nothing to take out: ") + host.folder + kInstallRecordName +
            " (install's record of what it added) is not there, and nothing of install's is");
        return InstallOutcome::kDone;
    }
    if (request.dryRun)
        return InstallOutcome::kDone;
    change.record = left;
    const InstallOutcome written = WriteHostChange(host, change);
    if (written != InstallOutcome::kDone)
        return written;
    Say("done");
    return LookForTheHostAgain(host);
}

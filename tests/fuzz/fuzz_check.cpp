// Fuzzed settings files through `lumbrasket check` and the plugin's loader:
// the table the check shows, and the values its warnings judge, are the
// groups, names, lists, masks and fallback the plugin loads; and everything
// it prints is printable, one item a line.
#include "platform/text/printable_text.h"
#include "groups/group_catalog.h"
#include "tests/support/scratch_folder.h"
#include "tools/lumbrasket/settings_check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

bool SameAsLoaded(const std::vector<CheckedGroup>& groups, const GroupCatalog& catalog) {
    if (groups.size() != catalog.Groups().size())
        return false;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const FileGroup& loaded = catalog.Groups()[i];
        if (!(groups[i] == CheckedGroup{std::string(loaded.name), loaded.extensions.Texts(),
                                        loaded.masks.Texts()}))
            return false;
    }
    return true;
}

bool Printable(const std::string& text) {
    return PrintableText(text) == text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFolder folder;
    const std::string path =
        folder.Write("Lumbrasket.ini", std::string(reinterpret_cast<const char*>(data), size));
    const SettingsCheck check = CheckSettingsFile(path);
    GroupCatalog catalog;
    catalog.LoadGroups(path);

    Check(SameAsLoaded(check.shown, catalog), "the table shown is not the table loaded");
    Check(check.shownFallback == catalog.FallbackName(), "the fallback shown is not the loaded");
    Check(SameAsLoaded(check.judged, catalog), "the warnings judge values the plugin never reads");
    Check(check.judgedFallback == catalog.FallbackName(),
          "the warnings judge a fallback name the plugin never reads");

    for (const std::string& warning : check.warnings)
        Check(Printable(warning) && warning.find('\n') == std::string::npos,
              "a warning prints a control character");
    for (const std::string& note : check.notes)
        Check(Printable(note) && note.find('\n') == std::string::npos,
              "a note prints a control character");
    // The report's lines: the file, "Groups:", a group a line (or one that
    // says there is none), the fallback's two, whether edits apply at once,
    // the warnings or "No warnings.", the notes under their heading. A line
    // end from the file would add one.
    std::size_t lines = 0;
    for (std::size_t at = 0, end; at < check.report.size(); at = end + 1) {
        end = check.report.find('\n', at);
        Check(end != std::string::npos, "the report's last line is not ended");
        Check(Printable(check.report.substr(at, end - at)),
              "the report prints a control character");
        ++lines;
    }
    const std::size_t expected = 2 + std::max<std::size_t>(1, check.shown.size()) + 2 + 1 + 1 +
                                 check.warnings.size() +
                                 (check.notes.empty() ? 0 : 1 + check.notes.size());
    Check(lines == expected, "the report has lines beyond its items: a text split a line");
    return 0;
}

// How long a host waits for a value. The goal: a group lookup in the sample
// settings (a dozen groups, about seventy extensions) well under a
// microsecond, and a whole ContentGetValue call (attributes query, extension
// cut, lookup, copy) dominated by the file system, not by the plugin.
// Run: build/linux/tests/benchmarks/lookup_benchmark
#include "groups/group_catalog.h"
#include "tools/lumbrasket/loaded_plugin.h"
#include "platform/text/name_pattern.h"
#include "tests/support/scratch_folder.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

std::string SampleSettings() {
    return std::string(LUMBRASKET_SOURCE_DIR) + "/examples/Lumbrasket.ini";
}

void FindGroupInSample(benchmark::State& state, const char* extension) {
    GroupCatalog catalog;
    catalog.LoadGroups(SampleSettings());
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog.FindGroup(extension).number);
}
BENCHMARK_CAPTURE(FindGroupInSample, first_group, "txt");
BENCHMARK_CAPTURE(FindGroupInSample, last_group, "WOFF2");
BENCHMARK_CAPTURE(FindGroupInSample, fallback, "unknown");

// A file's lookup by its whole name, as the value path makes it, in the
// sample table and the same table without its masks: the masks' index
// should cost a name that no mask matches a few nanoseconds.
void FindGroupOfFileInSample(benchmark::State& state, bool withMasks) {
    ScratchFolder folder;
    const std::string settings = folder.Write(
        "Lumbrasket.ini", "[Groups]\n1=txt|md\n2=pdf|doc\n" +
                              std::string(withMasks ? "1_masks=*.tar.*|README*|*.orig\n"
                                                      "2_masks=Makefile|CMakeLists.txt|*.cmake\n"
                                                    : ""));
    GroupCatalog catalog;
    catalog.LoadGroups(settings);
    const char name[] = "f1234.x3_4";
    for (auto _ : state) {
        const char* text = name;
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(catalog.FindGroupOfFile(text, 10, text + 6, 4).number);
    }
}
BENCHMARK_CAPTURE(FindGroupOfFileInSample, without_masks, false);
BENCHMARK_CAPTURE(FindGroupOfFileInSample, with_masks, true);

void ContentGetValueThroughThePlugin(benchmark::State& state) {
    ScratchFolder folder;
    CopyFileTo(SampleSettings(), folder.Path("host/Lumbrasket.ini"));
    const std::string file = folder.Write("files/report.pdf", "x");
    LoadedPlugin plugin(LUMBRASKET_PLUGIN_PATH);
    plugin.SetDefaultParams(folder.Path("host/wdx.ini"));
    char name[260];
    char units[260];
    plugin.getSupportedField(1, name, units, sizeof(name));
    char value[2048];
    for (auto _ : state)
        benchmark::DoNotOptimize(
            plugin.getValue(const_cast<char*>(file.c_str()), 1, 0, value, sizeof(value), 0));
}
BENCHMARK(ContentGetValueThroughThePlugin);

// One name mask against one name. The value path runs the matcher for every
// mask of every file, so the ordinary masks set its cost; the hostile ones
// would cost the product of the two lengths if the matcher backtracked.
// Goal: each hostile pair under 5 us.
void MatchNameMask(benchmark::State& state, const std::string& mask, const std::string& name) {
    for (auto _ : state) {
        // Opaque each time round, so the call is never hoisted out of the loop.
        const char* maskText = mask.data();
        const char* nameText = name.data();
        benchmark::DoNotOptimize(maskText);
        benchmark::DoNotOptimize(nameText);
        benchmark::DoNotOptimize(MatchesNamePattern(maskText, mask.size(), nameText, name.size()));
    }
}
BENCHMARK_CAPTURE(MatchNameMask, exact_hit, std::string("Makefile"), std::string("Makefile"));
BENCHMARK_CAPTURE(MatchNameMask, exact_miss, std::string("Makefile"), std::string("report.pdf"));
BENCHMARK_CAPTURE(MatchNameMask, suffix_hit, std::string("*.tar.gz"), std::string("backup.tar.gz"));
BENCHMARK_CAPTURE(MatchNameMask, suffix_miss, std::string("*.tar.gz"), std::string("report.pdf"));
BENCHMARK_CAPTURE(MatchNameMask, prefix_hit, std::string("README*"), std::string("README.md"));
BENCHMARK_CAPTURE(MatchNameMask, prefix_miss, std::string("README*"), std::string("report.pdf"));
BENCHMARK_CAPTURE(MatchNameMask, infix_hit, std::string("*.tar.*"), std::string("backup.tar.gz"));
BENCHMARK_CAPTURE(MatchNameMask, infix_miss, std::string("*.tar.*"), std::string("report.pdf"));

// The fixed hostile set, each against a name of 'a' it cannot match.
std::string HostileMask(int kind) {
    switch (kind) {
    case 0:
        return "*" + std::string(257, '?') + "b";
    case 1:
        return "*" + std::string(257, 'a') + "b";
    default: {
        std::string mask;
        for (int i = 0; i < 64; ++i)
            mask += "*a";
        return mask + "*b";
    }
    }
}
BENCHMARK_CAPTURE(MatchNameMask, hostile_questions, HostileMask(0), std::string(255, 'a'));
BENCHMARK_CAPTURE(MatchNameMask, hostile_letters, HostileMask(1), std::string(255, 'a'));
BENCHMARK_CAPTURE(MatchNameMask, hostile_stars, HostileMask(2), std::string(258, 'a'));
// A long literal run between stars that keeps almost matching.
BENCHMARK_CAPTURE(MatchNameMask, hostile_run, "*" + std::string(127, 'a') + "b*",
                  std::string(255, 'a'));

// The value path's mask walk with 100 hostile masks (the set above in turn,
// one group each) for 2,000 files with 255-byte names of 'a' and letters
// other than 'b', all distinct. Goal: an iteration under 1 s.
void HostileMasksForManyFiles(benchmark::State& state) {
    GroupCatalog catalog;
    for (int group = 0; group < 100; ++group)
        catalog.AddGroup(group, "Hostile", "", HostileMask(group % 3));
    const char* letters = "acdefghijklmnopqrstuvwxyz";
    std::vector<std::string> names;
    for (int file = 0; file < 2000; ++file) {
        std::string name(255, 'a');
        for (int digit = 0, rest = file; digit < 3; ++digit, rest /= 25)
            name[254 - digit] = letters[rest % 25];
        names.push_back(name);
    }
    for (auto _ : state)
        for (const std::string& name : names)
            benchmark::DoNotOptimize(
                catalog.FindGroupOfFile(name.data(), name.size(), "", 0).number);
}
BENCHMARK(HostileMasksForManyFiles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

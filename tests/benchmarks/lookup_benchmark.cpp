// How long a host waits for a value. The goal: a group lookup in the sample
// settings (a dozen groups, about seventy extensions) well under a
// microsecond, and a whole ContentGetValue call (attributes query, extension
// cut, lookup, copy) dominated by the file system, not by the plugin.
// Run: build/linux/tests/benchmarks/lookup_benchmark
#include "group_catalog.h"
#include "loaded_plugin.h"
#include "scratch_folder.h"

#include <benchmark/benchmark.h>
#include <string>

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

} // namespace

BENCHMARK_MAIN();

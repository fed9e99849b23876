// No value request allocates: through the built plugin file, with every
// allocation of the plugin counted (on Linux, of the whole process), the
// requests after the load allocate nothing, for files and a folder, with a
// plain extension table, masks of every tier and a watched settings file
// left as it is, looked at again a second later. The
// time a request takes is the benchmark's (tests/benchmarks/goal_ratios.cpp).
#include "tests/support/allocation_count.h"
#include "tests/plugin/plugin_scenario.h"

#include <gtest/gtest.h>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

struct AllocationCase {
    const char* name;
    const char* settings;
    std::vector<const char*> files;
    // A watched table looks at the settings places at its first request and
    // once a second after: a pause between two rounds lets a request look
    // again.
    bool watched = false;
};

const AllocationCase kAllocationCases[] = {
    {"PlainExtensionTable",
     "[Groups]\n0=txt|log|\n0_name=Text\n1=jpg|png|GIF\n1_name=Images\n[Configuration]\n"
     "UnknownGroupPlaceHolder=Other\n",
     {"a.txt", "b.JPG", "c.gif", "d.zip", "README", "e.tar.gz", "long-name-of-a-photo.png"}},
    // An exact name, a suffix, a prefix and the general matcher's masks.
    {"MasksOfEveryTier",
     "[Groups]\n0=txt\n0_name=Text\n1_masks=Makefile|*.cmake|README*\n1_name=Build\n"
     "2_masks=*.tar.*|f?o.*|*-[ab]*\n2_name=Odd\n",
     {"Makefile", "x.cmake", "README.md", "a.tar.gz", "foo.c", "fxo.txt", "x-[ab]y", "plain.txt",
      "none.bin"}},
    {"WatchedFileWithoutAnEdit",
     "[Groups]\n0=txt\n0_name=Text\n1_masks=*.tar.*\n1_name=Tarballs\n[Configuration]\n"
     "ReloadWhenChanged=1\n",
     {"a.txt", "b.tar.xz", "c.bin"},
     true},
};

class ValueAllocationTest : public testing::TestWithParam<AllocationCase> {};

TEST_P(ValueAllocationTest, NoValueRequestAllocates) {
    const AllocationCase& c = GetParam();
    PluginScenario scenario;
    scenario.folder.Write("host/Lumbrasket.ini", c.settings);
    std::vector<std::string> paths;
    for (const char* file : c.files)
        paths.push_back(scenario.folder.Write("files/" + std::string(file), "x"));
    paths.push_back(scenario.folder.MakeFolder("files/folder.txt"));
    char value[260];
    auto requests = [&] {
        for (const std::string& path : paths)
            for (int field = 0; field < 2; ++field)
                scenario.plugin->getValue(const_cast<char*>(path.c_str()), field, 0, value,
                                          sizeof(value), 0);
    };

    // The load allocates: the count sees the plugin's allocations.
    ASSERT_TRUE(CountAllocationsOf(scenario.plugin->Module()));
    const std::uint64_t beforeLoad = AllocationsCounted();
    ASSERT_EQ(1, scenario.SetDefaultParams());
    scenario.FieldType(0);
    const std::uint64_t afterLoad = AllocationsCounted();
    EXPECT_LT(beforeLoad, afterLoad);

    requests();
    if (c.watched)
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    requests();
    EXPECT_EQ(afterLoad, AllocationsCounted());
    // The requests were answered, from the table loaded.
    EXPECT_EQ(kFieldString, scenario.FieldType(1));
    EXPECT_EQ(kFieldNumeric32, scenario.Value(paths[0], 0).result);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValueAllocationTest, testing::ValuesIn(kAllocationCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

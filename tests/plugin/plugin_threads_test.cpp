// Hosts fill their panels from worker threads while the main thread asks as
// well. Many threads racing for the first load and then looking up files of
// different groups must each get the right answer, every time.
#include "tests/plugin/plugin_scenario.h"

#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Expected {
    std::string path;
    std::int32_t number;
    std::string name;
};

TEST(PluginThreadsTest, ConcurrentLoadAndLookupsGiveEveryAnswerRight) {
    PluginScenario scenario;
    std::string settings = "[Groups]\n";
    std::vector<Expected> files;
    for (int group = 0; group < 12; ++group) {
        std::string number = std::to_string(group);
        // Names of different lengths, so a torn copy would show.
        std::string name = "Group" + std::string(static_cast<size_t>(group * 7 + 1), 'a' + group);
        settings += number + "=e" + number + "|f" + number + "\n" + number + "_name=" + name + "\n";
        files.push_back({scenario.folder.Write("files/x.e" + number, "x"), group, name});
    }
    files.push_back({scenario.folder.Write("files/x.none", "x"), 12, "Unknown"});
    scenario.folder.Write("host/Lumbrasket.ini", settings);
    ASSERT_EQ(1, scenario.SetDefaultParams());

    const int kThreads = 8;
    const int kRounds = 150;
    std::atomic<int> ready{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < kThreads) {
            }
            // Every thread asks for a field first: the load happens once, and
            // no thread may see a half-loaded table after its own request.
            if (scenario.FieldType(t % 2) == kFieldNoMoreFields)
                ++wrong;
            for (int round = 0; round < kRounds; ++round) {
                for (size_t i = 0; i < files.size(); ++i) {
                    const Expected& e = files[(i + static_cast<size_t>(t)) % files.size()];
                    FieldValue number = scenario.Value(e.path, 0);
                    FieldValue name = scenario.Value(e.path, 1);
                    if (number.result != kFieldNumeric32 || number.number != e.number ||
                        name.result != kFieldString || name.text != e.name)
                        ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, wrong.load());
}

} // namespace

// profile_writer FILE NAME COUNT: four threads each write COUNT keys
// NAME<thread>_<n> to section [Keys] of FILE, at the same time as whatever
// else writes it. profile_writer --count FILE: prints how many keys [Keys]
// holds. Run by concurrent_writes.cmake, two writers at once.
#include "platform/win32.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--count") == 0) {
        std::vector<char> names(1 << 20);
        GetPrivateProfileStringA("Keys", nullptr, "", names.data(),
                                 static_cast<DWORD>(names.size()), argv[2]);
        int count = 0;
        for (const char* at = names.data(); *at != '\0'; at += std::strlen(at) + 1)
            ++count;
        std::printf("%d\n", count);
        return 0;
    }
    if (argc != 4)
        return 2;
    const std::string file = argv[1];
    const std::string name = argv[2];
    const int count = std::atoi(argv[3]);
    std::vector<std::thread> writers;
    std::atomic<int> failed{0};
    for (int thread = 0; thread < 4; ++thread) {
        writers.emplace_back([&, thread] {
            for (int n = 0; n < count; ++n) {
                const std::string key = name + std::to_string(thread) + "_" + std::to_string(n);
                if (!WritePrivateProfileStringA("Keys", key.c_str(), "1", file.c_str())) {
                    std::fprintf(stderr, "%s refused, error %u\n", key.c_str(),
                                 static_cast<unsigned>(GetLastError()));
                    ++failed;
                }
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    return failed == 0 ? 0 : 1;
}

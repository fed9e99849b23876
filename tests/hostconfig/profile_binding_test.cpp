// ProfileBinding: single keys, the shared value buffer, the 64-bit
// conversions at their limits, and the writability probe.
#include "hostconfig/profile_binding.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

namespace {

TEST(ProfileBindingTest, StringsShareOneBuffer) {
    ScratchFolder folder;
    ProfileBinding binding(folder.Write("b.ini", "[S]\na=first\nb=second\n").c_str(), "S");
    EXPECT_STREQ("S", binding.BoundSection());
    const char* view = binding.GetString("a", "");
    EXPECT_STREQ("first", view);
    binding.GetString("b", "");
    EXPECT_STREQ("second", view);
    EXPECT_STREQ("default", binding.GetString("missing", "default"));
}

TEST(ProfileBindingTest, GetStringIntoHonoursTheCallersSize) {
    ScratchFolder folder;
    ProfileBinding binding(folder.Write("b.ini", "[S]\na=abcdef\n").c_str(), "S");
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(buffer, binding.GetStringInto("a", "", buffer, 4));
    EXPECT_STREQ("abc", buffer);
    std::memset(buffer, '#', sizeof(buffer));
    for (std::int32_t size : {0, -1}) {
        binding.GetStringInto("a", "", buffer, size);
        EXPECT_EQ('#', buffer[0]);
    }
}

TEST(ProfileBindingTest, NumbersAtTheirLimits) {
    ScratchFolder folder;
    ProfileBinding binding(folder
                               .Write("n.ini",
                                      "[S]\nmixed=12abc\ntext=abc\nbig=99999999999999999999\n"
                                      "small=-99999999999999999999\nspaced=  +42\n"
                                      "negative=-7\n")
                               .c_str(),
                           "S");
    const std::int64_t low = std::numeric_limits<std::int64_t>::min();
    const std::int64_t high = std::numeric_limits<std::int64_t>::max();
    const std::uint64_t top = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(low, binding.GetInt64("missing", low));
    EXPECT_EQ(high, binding.GetInt64("missing", high));
    EXPECT_EQ(top, binding.GetUInt64("missing", top));
    EXPECT_EQ(12, binding.GetInt64("mixed", 0));
    EXPECT_EQ(0, binding.GetInt64("text", 5));
    EXPECT_EQ(high, binding.GetInt64("big", 0));
    EXPECT_EQ(low, binding.GetInt64("small", 0));
    EXPECT_EQ(top, binding.GetUInt64("big", 0));
    EXPECT_EQ(42, binding.GetInt64("spaced", 0));
    EXPECT_EQ(0u, binding.GetUInt64("negative", 9));

    EXPECT_NE(0, binding.PutInt("i", -5));
    EXPECT_STREQ("-5", binding.GetString("i", ""));
    EXPECT_NE(0, binding.PutUInt64("u", top));
    EXPECT_STREQ("18446744073709551615", binding.GetString("u", ""));
    EXPECT_EQ(top, binding.GetUInt64("u", 0));
    EXPECT_EQ(-5, binding.GetInt("i", 0));
}

namespace fs = std::filesystem;

// Makes a file read-only; false when this system still lets the process open
// it for writing (Wine run as root ignores the read-only attribute).
bool MakeReadOnly(const std::string& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(file);
    return false;
}

TEST(ProfileBindingTest, IsWritableOnAWritableFile) {
    ScratchFolder folder;
    ProfileBinding writable(folder.Path("w.ini").c_str(), "Probe");
    EXPECT_EQ(1, writable.IsWritable());
    EXPECT_STREQ("1", writable.GetString("Test", ""));
}

TEST(ProfileBindingTest, IsWritableOnAReadOnlyFile) {
    ScratchFolder folder;
    const std::string locked = folder.Write("r.ini", "[Probe]\nOther=1\n");
    const std::string probed = folder.Write("p.ini", "[Probe]\nTest=1\n");
    const bool readOnly = MakeReadOnly(locked) && MakeReadOnly(probed);
    if (readOnly) {
        EXPECT_EQ(0, ProfileBinding(locked.c_str(), "Probe").IsWritable());
        // A probe value left by an earlier run still reads as writable.
        EXPECT_EQ(1, ProfileBinding(probed.c_str(), "Probe").IsWritable());
    }
    fs::permissions(locked, fs::perms::owner_all);
    fs::permissions(probed, fs::perms::owner_all);
    if (!readOnly)
        GTEST_SKIP() << "this system lets the process write read-only files";
}

} // namespace

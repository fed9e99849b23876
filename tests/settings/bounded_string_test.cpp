// The bounded string operations: statuses, cuts, and that nothing is written
// outside the capacity a caller gives.
#include "settings/bounded_string.h"
#include "tests/support/guarded_buffer.h"
#include "tests/support/scratch_folder.h"
#include "platform/win32.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

struct CopyCase {
    const char* name;
    const char* source;
    std::size_t capacity;
    Status status;
    const char* text; // null: destination untouched
};

const CopyCase kCopyCases[] = {
    {"FitsWithRoom", "abc", 4, kStatusSuccess, "abc"},
    {"CutByOne", "abc", 3, kStatusInsufficientBuffer, "ab"},
    {"CapacityOneGivesEmpty", "abc", 1, kStatusInsufficientBuffer, ""},
    {"EmptySource", "", 5, kStatusSuccess, ""},
    {"CapacityZeroTouchesNothing", "abc", 0, kStatusInvalidArgument, nullptr},
    {"CapacityAboveLimitTouchesNothing", "abc", 0x80000000u, kStatusInvalidArgument, nullptr},
};

class BoundedCopyTest : public testing::TestWithParam<CopyCase> {};

TEST_P(BoundedCopyTest, StatusAndText) {
    const CopyCase& c = GetParam();
    GuardedBuffer buffer;
    EXPECT_EQ(c.status, BoundedCopy(buffer.data(), c.capacity, c.source));
    if (c.text == nullptr) {
        EXPECT_EQ('#', buffer.data()[0]);
    } else {
        EXPECT_STREQ(c.text, buffer.data());
    }
    if (c.capacity <= GuardedBuffer::kRoom) {
        EXPECT_TRUE(buffer.GuardsIntact(c.capacity));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BoundedCopyTest, testing::ValuesIn(kCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BoundedCopyTest, PathBufferTakesAtMost259Bytes) {
    std::string longText(400, 'x');
    GuardedBuffer buffer;
    EXPECT_EQ(kStatusInsufficientBuffer,
              BoundedCopy(buffer.data(), kPathBufferSize, longText.c_str()));
    EXPECT_EQ(std::string(259, 'x'), buffer.data());
    EXPECT_TRUE(buffer.GuardsIntact(kPathBufferSize));
}

TEST(BoundedCopyNTest, CountsAndLimits) {
    struct Row {
        std::size_t count;
        std::size_t capacity;
        Status status;
        const char* text;
    };
    const Row rows[] = {
        {3, 260, kStatusSuccess, "abc"},
        {0, 260, kStatusSuccess, ""},
        {100, 260, kStatusSuccess, "abcdef"},
        {6, 6, kStatusInsufficientBuffer, "abcde"},
        {0x7FFFFFFE, 260, kStatusSuccess, "abcdef"},
        {0x7FFFFFFF, 260, kStatusInvalidArgument, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "count " << row.count << ", capacity " << row.capacity);
        GuardedBuffer buffer;
        EXPECT_EQ(row.status, BoundedCopyN(buffer.data(), row.capacity, "abcdef", row.count));
        EXPECT_STREQ(row.text, buffer.data());
    }
}

TEST(BoundedCopyNTest, SourceNeedNotBeTerminatedWithinCount) {
    const char unterminated[3] = {'x', 'y', 'z'};
    char buffer[8];
    EXPECT_EQ(kStatusSuccess, BoundedCopyN(buffer, sizeof(buffer), unterminated, 3));
    EXPECT_STREQ("xyz", buffer);
}

TEST(BoundedAppendTest, Cases) {
    struct Row {
        const char* start;
        const char* source;
        std::size_t capacity;
        Status status;
        const char* text;
    };
    const Row rows[] = {
        {"abc", "def", 7, kStatusSuccess, "abcdef"},
        {"abc", "def", 6, kStatusInsufficientBuffer, "abcde"},
        {"abcde", "", 6, kStatusSuccess, "abcde"},
        {"abcde", "x", 6, kStatusInsufficientBuffer, "abcde"},
        {"", "xyz", 4, kStatusSuccess, "xyz"},
        {"abc", "def", 0, kStatusInvalidArgument, "abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.start << " + " << row.source << " in " << row.capacity);
        GuardedBuffer buffer;
        std::strcpy(buffer.data(), row.start);
        EXPECT_EQ(row.status, BoundedAppend(buffer.data(), row.capacity, row.source));
        EXPECT_STREQ(row.text, buffer.data());
        if (row.capacity > 0) {
            EXPECT_TRUE(buffer.GuardsIntact(row.capacity));
        }
    }
}

TEST(BoundedAppendNTest, Counts) {
    char text[8] = "abc";
    EXPECT_EQ(kStatusSuccess, BoundedAppendN(text, sizeof(text), "defgh", 0));
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(kStatusSuccess, BoundedAppendN(text, sizeof(text), "defgh", 2));
    EXPECT_STREQ("abcde", text);
    EXPECT_EQ(kStatusInsufficientBuffer, BoundedAppendN(text, sizeof(text), "xyz", 3));
    EXPECT_STREQ("abcdexy", text);
    EXPECT_EQ(kStatusInsufficientBuffer, BoundedAppendN(text, sizeof(text), "z", 1));
    EXPECT_STREQ("abcdexy", text);
    EXPECT_EQ(kStatusInvalidArgument, BoundedAppendN(text, sizeof(text), "z", 0x7FFFFFFF));
    EXPECT_STREQ("abcdexy", text);
}

TEST(BoundedAppendTest, UnterminatedDestinationIsRefusedUntouched) {
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(kStatusInvalidArgument, BoundedAppend(buffer, sizeof(buffer), "x"));
    EXPECT_EQ(0, std::memcmp(buffer, "abcd", 4));
}

TEST(BoundedLengthTest, StopsAtLimit) {
    std::size_t length = 99;
    EXPECT_EQ(kStatusSuccess, BoundedLength("abc", 4, &length));
    EXPECT_EQ(3u, length);
    EXPECT_EQ(kStatusInvalidArgument, BoundedLength("abc", 3, &length));
    EXPECT_EQ(0u, length);
}

TEST(BoundedCopyNTest, CopyOntoItselfKeepsThePrefix) {
    char buffer[16] = "abcdef";
    EXPECT_EQ(kStatusSuccess, BoundedCopyN(buffer, sizeof(buffer), buffer, 3));
    EXPECT_STREQ("abc", buffer);
}

TEST(IntToTextTest, Radixes) {
    struct Row {
        const char* name;
        std::int32_t value;
        int radix;
        Status status;
        const char* text;
    };
    const Row rows[] = {
        {"SmallestValueSigned", -2147483647 - 1, 10, kStatusSuccess, "-2147483648"},
        {"Hexadecimal", 255, 16, kStatusSuccess, "ff"},
        {"Binary", 5, 2, kStatusSuccess, "101"},
        // Thirty-two binary digits do not fit the 20-character buffer.
        {"TooManyDigitsGiveEmpty", -1, 2, kStatusInsufficientBuffer, ""},
        {"RadixOneIsRefused", 1, 1, kStatusInvalidArgument, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char text[kNumberTextSize] = "previous";
        EXPECT_EQ(row.status, IntToText(row.value, text, row.radix));
        EXPECT_STREQ(row.text, text);
    }
}

} // namespace

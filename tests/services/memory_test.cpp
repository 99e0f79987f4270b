#include <gtest/gtest.h>

#include <windows.h>

#include "services/arrays.h"
#include "services/memory.h"

using namespace services;

namespace {

TEST(Memory, PeekByteSignExtends) {
    const unsigned char bytes[] = {0x00, 0x7F, 0x80, 0xFF, 0x45};
    EXPECT_EQ(0, peek_byte(bytes));
    EXPECT_EQ(127, peek_byte(bytes + 1));
    EXPECT_EQ(-128, peek_byte(bytes + 2));
    EXPECT_EQ(-1, peek_byte(bytes + 3));
    EXPECT_EQ(0x45, peek_byte(bytes + 4));
}

TEST(Memory, ArraysCarryTheirHeader) {
    struct Row {
        char* name;
        int size;
    };
    int* type_word = alloc_array(sizeof(Row), 1);
    ASSERT_NE(nullptr, type_word);
    EXPECT_EQ(1, type_word[-1]) << "first header word: the upper bound";
    EXPECT_EQ(0, type_word[0]);
    *type_word = 7;
    Row* rows = reinterpret_cast<Row*>(type_word + 1);
    EXPECT_EQ(nullptr, rows[0].name);
    EXPECT_EQ(0, rows[1].size) << "elements are zero-filled";
    rows[1].size = 1886;
    free_array(rows);
    free_array(nullptr);

    int* empty = alloc_array(4, -1);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(-1, empty[-1]);
    free_array(empty + 1);
}

TEST(Memory, ArraysBeyondTheAddressSpaceAreRefused) {
    EXPECT_EQ(nullptr, alloc_array(16, 0x7FFFFFFF));
    EXPECT_EQ(nullptr, alloc_array(0x40000000, 8));
    EXPECT_EQ(nullptr, alloc_array(4, -2));
    EXPECT_EQ(nullptr, alloc_array(1, 0x7FFFFFF0)) << "2 GiB cannot come from a 32-bit heap";
}

// Measured with the performance counter: Wine's tick count moves in uneven steps (up to
// about 20 ms), so a tick count read around the wait could show 39 ms for 50.
TEST(Memory, DelayWaitsAtLeastTheTimeAsked) {
    LARGE_INTEGER frequency, before, after;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    QueryPerformanceCounter(&before);
    delay_ms(50);
    QueryPerformanceCounter(&after);
    // A few milliseconds for a platform whose sleep ends on its timer's tick.
    EXPECT_GE((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 45);
    delay_ms(-1);  // returns at once instead of waiting ~49 days
}

}  // namespace

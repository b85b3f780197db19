#include "KvComn_ByteArray.h"

#include <gtest/gtest.h>

#include <cstring>

using KvCommon::ByteArray;

TEST(ByteArray, AllocateZeroFillsAndRefusesSecondOrEmptyAllocation)
{
    ByteArray array;
    DWORD error = 99;
    EXPECT_FALSE(array.Allocate(0, &error));
    EXPECT_EQ(160u, error);
    EXPECT_EQ(nullptr, array.GetData());

    ASSERT_TRUE(array.Allocate(16, &error));
    EXPECT_EQ(0u, error);
    ASSERT_EQ(16u, array.GetSize());
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(0, array.GetData()[i]);

    BYTE* first = array.GetData();
    EXPECT_FALSE(array.Allocate(32, &error));
    EXPECT_EQ(5010u, error);
    EXPECT_EQ(first, array.GetData());
    EXPECT_EQ(16u, array.GetSize());
}

TEST(ByteArray, SetDataCopiesExactlyTheArraySize)
{
    const SYSTEMTIME stamp{2026, 12, 6, 5, 9, 30, 15, 250};
    ByteArray array;
    DWORD error = 99;
    EXPECT_FALSE(array.SetData(&stamp, 0, &error)); // nothing allocated
    EXPECT_EQ(160u, error);

    ASSERT_TRUE(array.Allocate(sizeof(stamp)));
    EXPECT_FALSE(array.SetData(nullptr, sizeof(stamp), &error));
    EXPECT_EQ(6u, error);
    EXPECT_FALSE(array.SetData(&stamp, 15, &error));
    EXPECT_EQ(160u, error);
    EXPECT_EQ(0, array.GetData()[0]); // the zeros stay

    ASSERT_TRUE(array.SetData(&stamp, sizeof(stamp), &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(0, std::memcmp(&stamp, array.GetData(), sizeof(stamp)));
    EXPECT_TRUE(array.SetData(&stamp, sizeof(stamp))); // the error pointer is optional
}

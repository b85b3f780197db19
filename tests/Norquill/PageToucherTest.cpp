#include "PageToucher.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr size_t kRecord = 2420; // records straddle the chunks
constexpr size_t kBlock = 20000 * kRecord;

// Waits up to 5 s for the thread to zero the byte at.
bool ZeroedByTheThread(const unsigned char* at)
{
    for (int i = 0; i < 5000 && *reinterpret_cast<const volatile unsigned char*>(at) != 0; ++i)
        ::Sleep(1);
    return *at == 0;
}

// Nothing writes into the block for a while.
bool StaysAsIs(const std::vector<unsigned char>& before, const unsigned char* block)
{
    ::Sleep(50);
    return std::equal(before.begin(), before.end(), block);
}

struct FreePages
{
    void operator()(void* p) const { ::VirtualFree(p, 0, MEM_RELEASE); }
};
} // namespace

TEST(PageToucher, WriterKeepsEveryByteItWritesAndTheThreadStopsWithIt)
{
    // Fresh pages fault slowly, so the writer keeps catching up with the thread and the two meet at
    // every chunk; the writer's bytes are never zero, so a zero from the thread in them would show.
    std::unique_ptr<void, FreePages> fresh(
        ::VirtualAlloc(nullptr, kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_TRUE(fresh);
    unsigned char* block = static_cast<unsigned char*>(fresh.get());
    const size_t written = kBlock / kRecord * 3 / 4;
    {
        PageToucher toucher(block, kBlock);
        for (size_t i = 0; i < written; ++i)
        {
            unsigned char* record = block + i * kRecord;
            toucher.Claim(record + kRecord);
            std::memset(record, static_cast<int>(1 + i % 250), kRecord);
        }
    }
    for (size_t i = 0; i < written; ++i)
    {
        const unsigned char* record = block + i * kRecord;
        ASSERT_EQ(record + kRecord,
                  std::find_if(record, record + kRecord, [&](unsigned char c) { return c != 1 + i % 250; }))
            << "record " << i;
    }
    EXPECT_TRUE(StaysAsIs(std::vector<unsigned char>(block, block + kBlock), block));
}

TEST(PageToucher, WriterLeavingTheBlockStopsTheThreadAndASmallBlockHasNone)
{
    std::vector<unsigned char> block(kBlock, 0xAB);
    PageToucher toucher(block.data(), block.size());
    ASSERT_TRUE(ZeroedByTheThread(block.data()));
    toucher.Claim(block.data() + block.size() + 1); // the list is about to grow elsewhere
    std::fill(block.begin(), block.end(), 0xCD);
    EXPECT_TRUE(StaysAsIs(block, block.data()));

    std::vector<unsigned char> small(1024 * 1024, 0xAB);
    PageToucher none(small.data(), small.size());
    none.Claim(small.data() + small.size());
    EXPECT_TRUE(StaysAsIs(small, small.data()));
    EXPECT_EQ(0xAB, small[0]);
}

#include "PageToucher.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr size_t kRecord = 2420; // records straddle the chunks
constexpr size_t kBlock = 20000 * kRecord;
} // namespace

TEST(PageToucher, WriterKeepsEveryByteItWritesAndTheThreadStopsWithIt)
{
    // Fresh pages fault slowly, so the writer keeps catching up with the thread and the two meet at
    // every chunk; the writer's bytes are never zero, so a zero from the thread in them would show.
    std::unique_ptr<void, void (*)(void*)> fresh(
        ::VirtualAlloc(nullptr, kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE),
        [](void* p) { ::VirtualFree(p, 0, MEM_RELEASE); });
    ASSERT_TRUE(fresh);
    unsigned char* block = static_cast<unsigned char*>(fresh.get());
    // A quarter: the thread, held 16 MB ahead of the writer, cannot reach the end, so only a stop ends it.
    const size_t written = kBlock / kRecord / 4;
    const std::vector<DWORD> threads = TestSupport::ThreadIds();
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
    // Once the thread is gone, a zero it wrote after the writer's last byte would show.
    const std::vector<unsigned char> before(block, block + kBlock);
    ASSERT_TRUE(TestSupport::ThreadsEnded(threads, 30000));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), block));
}

TEST(PageToucher, WriterLeavingTheBlockStopsTheThreadAndASmallBlockHasNone)
{
    std::vector<unsigned char> small(1024 * 1024, 0xAB);
    const std::vector<DWORD> threads = TestSupport::ThreadIds();
    {
        PageToucher none(small.data(), small.size());
        EXPECT_EQ(threads, TestSupport::ThreadIds());
    }
    std::vector<unsigned char> block(kBlock, 0xAB);
    PageToucher toucher(block.data(), block.size());
    // A bounded look for the thread's first zero, since nothing tells when it gets there.
    const volatile unsigned char* first = block.data();
    for (const DWORD start = GetTickCount(); *first != 0 && GetTickCount() - start < 30000;)
        ::SwitchToThread();
    ASSERT_EQ(0, *first);
    toucher.Claim(block.data() + block.size() + 1); // the list is about to grow elsewhere
    std::fill(block.begin(), block.end(), 0xCD);
    // Held 16 MB ahead of a writer that never comes back, the thread ends only because it was stopped.
    ASSERT_TRUE(TestSupport::ThreadsEnded(threads, 30000));
    EXPECT_EQ(block.end(),
              std::find_if(block.begin(), block.end(), [](unsigned char c) { return c != 0xCD; }));
}

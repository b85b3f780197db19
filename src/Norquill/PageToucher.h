#pragma once
#include <cstddef>
#include <cstdint>

// Brings in the pages of a large block of fresh memory on a second thread while one writer fills the
// block from its front. A day of a million records makes a list of gigabytes, and first touching its
// pages costs more than reading the file: two cores share those faults. The two start at opposite ends
// and claim 64 KB chunks through one atomic word, so no byte is ever written by both, and the thread
// writes only zeros, into storage where no record lives yet.
class PageToucher
{
public:
    // Touches [begin, begin + bytes) from its end down; does nothing for a small block, or when no
    // thread can be started.
    PageToucher(void* begin, size_t bytes);
    // Returns once the thread touches nothing more; the thread may still be ending, and keeps its own
    // reference on this module and on the state it shares.
    ~PageToucher();
    PageToucher(const PageToucher&) = delete;
    PageToucher& operator=(const PageToucher&) = delete;

    // Makes the block below end the writer's before it writes there; waits, for one chunk at most,
    // while the thread touches that part. An end beyond the block stops the thread for good.
    void Claim(const void* end)
    {
        if (reinterpret_cast<uintptr_t>(end) > m_ownedEnd)
            ClaimSlow(reinterpret_cast<uintptr_t>(end));
    }

private:
    struct Shared;
    static unsigned long __stdcall Run(void* shared);
    void ClaimSlow(uintptr_t end);
    void Stop();

    Shared* m_shared = nullptr;
    uintptr_t m_ownedEnd = UINTPTR_MAX; // below it the writer owns every byte
};

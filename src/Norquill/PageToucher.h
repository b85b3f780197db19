#pragma once
#include <cstddef>
#include <cstdint>

// Brings in the pages of a large block of fresh memory on a second thread, up to 16 MB ahead of the one
// writer that fills the block from its front. A day of a million records makes a list of gigabytes, and
// first touching its pages costs more than reading the file: two cores share those faults, and the
// writer finds the lines the kernel just zeroed still in the cache. The two claim 16 KB chunks in order
// through one atomic word, so no byte is ever written by both, and the thread writes only zeros, into
// storage where no record lives yet.
class PageToucher
{
public:
    // Starts touching [begin, begin + bytes); does nothing for a small block, or when no thread can be
    // started.
    PageToucher(void* begin, size_t bytes);
    // Returns once the thread touches nothing more; the thread may still be ending, and keeps its own
    // reference on this module and on the state it shares.
    ~PageToucher();
    PageToucher(const PageToucher&) = delete;
    PageToucher& operator=(const PageToucher&) = delete;

    // Makes the block below end the writer's before it writes there: takes the chunks nobody has yet, and
    // waits while the thread touches one. An end outside the block stops the thread for good.
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

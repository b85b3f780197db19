// Linked into a test build of the plug-in only: the global operator new and delete, with an allocation
// that fails on request. The host steers it through the two exports below.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<LONG> g_countdown{0}; // allocations left until the failing one; 0: disarmed
std::atomic<bool> g_repeat{false};
std::atomic<bool> g_failing{false}; // in repeat mode: every allocation since the first failure fails
std::atomic<LONG> g_failed{0};

bool FailThisOne()
{
    if (!g_failing.load())
    {
        LONG left = g_countdown.load();
        while (left > 0 && !g_countdown.compare_exchange_weak(left, left - 1))
        {
        }
        if (left != 1)
            return false;
        g_failing.store(g_repeat.load());
    }
    ++g_failed;
    return true;
}

// Plain malloc underneath: the host frees what the plug-in put into its containers with its own
// operator delete, which is free() of the same C runtime.
void* Allocate(std::size_t size)
{
    void* p = FailThisOne() ? nullptr : std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}
} // namespace

// nth > 0: the nth allocation from now fails (and with repeat every one after it); 0 disarms.
extern "C" __declspec(dllexport) void WINAPI NqTest_FailAllocation(LONG nth, BOOL repeat)
{
    g_countdown.store(0);
    g_failing.store(false);
    g_failed.store(0);
    g_repeat.store(repeat != FALSE);
    g_countdown.store(nth > 0 ? nth : 0);
}

extern "C" __declspec(dllexport) LONG WINAPI NqTest_FailedAllocations()
{
    return g_failed.load();
}

// The array, nothrow and other sized forms of both runtimes forward to these; the plug-in has no
// over-aligned types.
void* operator new(std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

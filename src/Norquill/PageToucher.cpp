#include "PageToucher.h"

#include "KvComn_Handle.h"

#include <windows.h>
#include <algorithm>
#include <atomic>
#include <new>

namespace
{
constexpr size_t kChunkBytes = 64 * 1024;
// Below this a thread costs about what it saves.
constexpr size_t kMinimumBytes = 4 * 1024 * 1024;
constexpr uint64_t kMaxChunks = 0x7FFFFFFF;
// The shared word: bit 63 set while the thread touches the chunk it claimed last; bits 32-62 "front",
// the writer's chunks [0, front); bits 0-31 "back", the thread's chunks [back, count).
constexpr uint64_t kBusy = uint64_t(1) << 63;
// Any address inside this module, to take a reference on it.
const char kInThisModule = 0;

uint64_t Front(uint64_t state)
{
    return (state >> 32) & kMaxChunks;
}

uint64_t Back(uint64_t state)
{
    return state & 0xFFFFFFFF;
}

uint64_t Pack(uint64_t busy, uint64_t front, uint64_t back)
{
    return busy | (front << 32) | back;
}

size_t PageSize()
{
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwPageSize;
}
} // namespace

struct PageToucher::Shared
{
    char* begin;
    size_t bytes;
    size_t chunks;
    std::atomic<uint64_t> state;
    std::atomic<int> references{2}; // the writer's and the thread's
    HMODULE module = nullptr;

    void Release()
    {
        if (references.fetch_sub(1) == 1)
            delete this;
    }

    // One write a page: the fault is the cost; the zero lands where no record is yet.
    void Touch(uint64_t chunk)
    {
        static const size_t page = PageSize();
        const uintptr_t start = reinterpret_cast<uintptr_t>(begin) + chunk * kChunkBytes;
        const uintptr_t end =
            std::min<uintptr_t>(start + kChunkBytes, reinterpret_cast<uintptr_t>(begin) + bytes);
        for (uintptr_t at = start; at < end; at = (at | (page - 1)) + 1)
            *reinterpret_cast<volatile char*>(at) = 0;
    }
};

PageToucher::PageToucher(void* begin, size_t bytes)
{
    const uint64_t chunks = (static_cast<uint64_t>(bytes) + kChunkBytes - 1) / kChunkBytes;
    if (!begin || bytes < kMinimumBytes || chunks > kMaxChunks)
        return;
    Shared* shared =
        new (std::nothrow) Shared{static_cast<char*>(begin), bytes, chunks, {Pack(0, 0, chunks)}};
    if (!shared)
        return;
    // The thread may still be ending when the host unloads the plug-in: it holds the module till it exits.
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&kInThisModule), &shared->module))
    {
        delete shared;
        return;
    }
    KvCommon::UniqueHandle thread(
        ::CreateThread(nullptr, 64 * 1024, &Run, shared, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread)
    {
        ::FreeLibrary(shared->module);
        delete shared;
        return;
    }
    m_shared = shared;
    m_ownedEnd = reinterpret_cast<uintptr_t>(begin);
}

PageToucher::~PageToucher()
{
    Stop();
}

unsigned long __stdcall PageToucher::Run(void* parameter)
{
    Shared* shared = static_cast<Shared*>(parameter);
    for (;;)
    {
        uint64_t state = shared->state.load();
        const uint64_t front = Front(state), back = Back(state);
        if (back <= front)
            break;
        if (!shared->state.compare_exchange_weak(state, Pack(kBusy, front, back - 1)))
            continue;
        shared->Touch(back - 1);
        shared->state.fetch_and(~kBusy);
    }
    const HMODULE module = shared->module;
    shared->Release();
    ::FreeLibraryAndExitThread(module, 0);
    return 0;
}

void PageToucher::ClaimSlow(uintptr_t end)
{
    if (!m_shared)
        return;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(m_shared->begin);
    if (end <= begin || end - begin > m_shared->bytes)
    {
        Stop(); // the writer left the block: it may be about to free it
        return;
    }
    const uint64_t need = (end - begin + kChunkBytes - 1) / kChunkBytes;
    uint64_t state = m_shared->state.load();
    for (;;)
    {
        const uint64_t front = Front(state), back = Back(state);
        if (need > back)
        {
            Stop(); // the two met: the rest is touched, or is being touched now
            return;
        }
        if (need <= front || m_shared->state.compare_exchange_weak(state, Pack(state & kBusy, need, back)))
            break;
    }
    m_ownedEnd = need == m_shared->chunks ? UINTPTR_MAX : begin + need * kChunkBytes;
}

void PageToucher::Stop()
{
    if (!m_shared)
        return;
    uint64_t state = m_shared->state.load();
    while (!m_shared->state.compare_exchange_weak(state, Pack(state & kBusy, Back(state), Back(state))))
    {
    }
    while (m_shared->state.load() & kBusy)
        ::SwitchToThread();
    m_shared->Release();
    m_shared = nullptr;
    m_ownedEnd = UINTPTR_MAX;
}

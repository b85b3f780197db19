#include "PageToucher.h"

#include "KvComn_Handle.h"

#include <windows.h>
#include <algorithm>
#include <atomic>
#include <new>

namespace
{
constexpr size_t kChunkBytes = 16 * 1024;
// Below this a thread costs about what it saves.
constexpr size_t kMinimumBytes = 4 * 1024 * 1024;
constexpr uint64_t kMaxChunks = 0x7FFFFFFF;
// How far the thread may run ahead of the writer: 16 MB, about 7 ms of reading, so that a short sleep
// never lets the writer catch up, while what the thread zeroed is still in the cache when the writer
// comes.
constexpr uint64_t kLeadChunks = 1024;
// The shared word: bits 0-31 the next chunk nobody has claimed; bits 32-62 one more than the chunk the
// thread is touching now, 0 when it touches none.
uint64_t Next(uint64_t state)
{
    return state & 0xFFFFFFFF;
}

uint64_t Busy(uint64_t state)
{
    return state >> 32;
}

uint64_t Pack(uint64_t next, uint64_t busy)
{
    return (busy << 32) | next;
}

// Any address inside this module, to take a reference on it.
const char kInThisModule = 0;

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
    uint64_t chunks;
    std::atomic<uint64_t> state;
    std::atomic<uint64_t> writer{0}; // the chunk the writer is in
    std::atomic<int> references{2};  // the writer's and the thread's
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
    Shared* shared = new (std::nothrow) Shared{static_cast<char*>(begin), bytes, chunks, {Pack(0, 0)}};
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
        const uint64_t next = Next(state);
        if (next >= shared->chunks)
            break;
        if (next > shared->writer.load(std::memory_order_relaxed) + kLeadChunks)
        {
            ::Sleep(1);
            continue;
        }
        if (!shared->state.compare_exchange_weak(state, Pack(next + 1, next + 1)))
            continue;
        shared->Touch(next);
        shared->state.fetch_and(0xFFFFFFFF);
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
    const uint64_t need = (end - begin + kChunkBytes - 1) / kChunkBytes; // chunks [0, need)
    uint64_t owned = (m_ownedEnd - begin) / kChunkBytes;
    m_shared->writer.store(owned, std::memory_order_relaxed);
    for (; owned < need; ++owned)
    {
        uint64_t state = m_shared->state.load();
        for (;;)
        {
            if (Next(state) == owned)
            {
                // Nobody has it yet: the writer takes it and meets its faults itself.
                if (m_shared->state.compare_exchange_weak(state, Pack(owned + 1, Busy(state))))
                    break;
                continue;
            }
            if (Busy(state) != owned + 1)
                break; // touched already
            ::SwitchToThread();
            state = m_shared->state.load();
        }
    }
    m_ownedEnd = need == m_shared->chunks ? UINTPTR_MAX : begin + need * kChunkBytes;
}

void PageToucher::Stop()
{
    if (!m_shared)
        return;
    uint64_t state = m_shared->state.load();
    while (!m_shared->state.compare_exchange_weak(state, Pack(m_shared->chunks, Busy(state))))
    {
    }
    while (Busy(m_shared->state.load()) != 0)
        ::SwitchToThread();
    m_shared->Release();
    m_shared = nullptr;
    m_ownedEnd = UINTPTR_MAX;
}

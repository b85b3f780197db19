#include "DaySeal.h"

#include "KvComn_Clock.h"
#include "KvComn_SealKeeper.h"

#include <memory>
#include <mutex>

namespace
{
std::mutex g_keeperLock; // the keeper's caches are the process's, shared by its threads
std::unique_ptr<KvCommon::SealKeeper> g_keeper;

KvCommon::SealKeeper& Keeper(const std::wstring& logFolder)
{
    if (!g_keeper || g_keeper->LogFolder() != logFolder)
        g_keeper.reset(new KvCommon::SealKeeper(logFolder));
    return *g_keeper;
}

ULONGLONG Now()
{
    SYSTEMTIME now;
    KvCommon::Clock::GetLocalTime(&now);
    return KvCommon::SealKeeper::Ticks(now);
}

template <class Work> bool Locked(const std::wstring& logFolder, DWORD& error, Work work)
{
    std::lock_guard<std::mutex> guard(g_keeperLock);
    KvCommon::SealKeeper& keeper = Keeper(logFolder);
    KvCommon::SealKeeper::Lock lock(keeper);
    if (!lock.Held())
    {
        error = ::GetLastError();
        return false;
    }
    return keeper.Load(Now(), error) && work(keeper);
}
} // namespace

bool CDaySeal::IsOn(const std::wstring& logFolder)
{
    if (::GetFileAttributesW(KvCommon::SealKeeper::StatePath(logFolder).c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    // Under Wine a look for a name a folder lacks reads the whole folder: a year of day files at every event.
    // The seals' folder, made once and empty while sealing is off, keeps the look inside itself.
    if (::GetLastError() == ERROR_PATH_NOT_FOUND)
        ::CreateDirectoryW((logFolder + L"Seal").c_str(), nullptr);
    return false;
}

bool CDaySeal::Seal(const std::wstring& logFolder, const std::wstring& dayName, ULONGLONG offset,
                    const void* bytes, size_t size, bool newDay, DWORD& error)
{
    return Locked(logFolder, error,
                  [&](KvCommon::SealKeeper& keeper)
                  { return keeper.SealLine(dayName, offset, bytes, size, newDay, error); });
}

bool CDaySeal::Removed(const std::wstring& logFolder, const std::wstring& dayName, DWORD& error)
{
    if (!IsOn(logFolder))
        return true;
    return Locked(logFolder, error,
                  [&](KvCommon::SealKeeper& keeper) { return keeper.RecordRemoval(dayName, error); });
}

#include "Frwk_Utility.h"

#include "KvComn_CriticalSection.h"
#include "KvComn_DebugLog.h"
#include "KvComn_Registry.h"
#include "KvComn_RegistryWatch.h"
#include "KvComn_SingleLock.h"

#include <memory>
#include <new>

namespace Frwk
{
namespace Utility
{
namespace
{
const wchar_t* const kInstallKeyPath = L"Software\\Kelvanor\\Brisqual";
// Lookups one call makes while the value keeps changing under them.
constexpr int kLookupsPerCall = 3;

std::wstring LookUpInstalledFolder()
{
    const KvCommon::Storage::Key key(KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE, kInstallKeyPath);
    std::unique_ptr<KvCommon::Storage::Registry> pStorage(new (std::nothrow) KvCommon::Storage::Registry());
    if (!pStorage)
    {
        KV_TRACE_ERROR(L"*** Frwk::Utility::GetInstalledFolder() -  pStorage was invalid.");
        throw std::bad_alloc();
    }
    try
    {
        pStorage->Open(key, nullptr);
        std::wstring folder = pStorage->QueryValue(std::wstring(L"InstalledFolder"), std::wstring());
        bool flush = false;
        pStorage->Close(flush);
        return folder;
    }
    catch (KvCommon::Storage::Exception* e)
    {
        KV_TRACE_ERROR(
            L"*** Frwk::Utility::GetInstalledFolder() -  Got KvCommon::Storage::Exception(). [0x%08x]",
            e->GetCode());
        // Only a value that is not there (or not a string) means "no installation folder". After any
        // other fault the relative folder would be someone else's: writers and purges must fail instead.
        if (e->GetCode() != ERROR_FILE_NOT_FOUND && e->GetCode() != ERROR_INVALID_DATA)
            throw;
        delete e;
        return std::wstring();
    }
}

// What the last lookup found, kept until the registry tells of a change to the key.
struct InstalledFolderCache
{
    KvCommon::Synchronize::CriticalSection lock;
    KvCommon::Storage::RegistryWatch watch{HKEY_LOCAL_MACHINE, kInstallKeyPath};
    std::wstring folder;
    bool current = false; // false while a lookup has not completed
};
} // namespace

std::wstring GetInstalledFolder()
{
    static InstalledFolderCache cache;
    KvCommon::Synchronize::SingleLock lock(cache.lock);
    for (int lookups = 1; !cache.current || cache.watch.Changed(); ++lookups)
    {
        cache.current = false;
        // Unarmed, every call looks the value up again.
        const bool armed = cache.watch.Arm();
        const bool last = !armed || lookups == kLookupsPerCall;
        try
        {
            cache.folder = LookUpInstalledFolder();
        }
        catch (KvCommon::Storage::Exception* e)
        {
            // A value rewritten between the lookup's size query and its read fails it: read it again.
            if (last || !cache.watch.Changed())
                throw;
            delete e;
            continue;
        }
        cache.current = true;
        if (last)
            break;
    }
    return cache.folder;
}

std::wstring GetLogFolder()
{
    std::wstring folder = GetInstalledFolder();
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Log\\";
}
} // namespace Utility
} // namespace Frwk

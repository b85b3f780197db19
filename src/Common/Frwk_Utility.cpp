#include "Frwk_Utility.h"

#include "KvComn_DebugLog.h"
#include "KvComn_Registry.h"

#include <memory>
#include <new>

namespace Frwk
{
namespace Utility
{
std::wstring GetInstalledFolder()
{
    const KvCommon::Storage::Key key(KvCommon::Storage::KindRegistry, HKEY_LOCAL_MACHINE,
                                     L"Software\\Kelvanor\\Brisqual");
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

std::wstring GetLogFolder()
{
    std::wstring folder = GetInstalledFolder();
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Log\\";
}
} // namespace Utility
} // namespace Frwk

#include "EventLogKey.h"

#include "KvComn_DebugLog.h"
#include "KvComn_Clock.h"
#include "KvComn_Reg.h"
#include "SrvFrwk_Interface.h"

namespace EventLogKey
{
const wchar_t* const KeyPath =
    L"Software\\Kelvanor\\Brisqual\\16\\ServiceFramework\\EnforceLayer\\Common\\EventLog";

namespace Reg = KvCommon::Storage::Reg;
namespace
{
constexpr DWORD DefaultView = 0;
constexpr DWORD TimeStampSize = sizeof(SYSTEMTIME);
static_assert(TimeStampSize == 16, "time stamps are 16 bytes");

// Never raises: a stamp that could not be stored must not turn a written line into a failure.
template <class Store> bool StoreStamp(const wchar_t* name, const SYSTEMTIME& time, Store&& store) noexcept
{
    try
    {
        KvCommon::ByteArray data;
        DWORD error = 0;
        // An empty binary value would look like a damaged stamp to every reader: keep the old one instead.
        if (!data.Allocate(TimeStampSize, &error) || !data.SetData(&time, TimeStampSize, &error))
        {
            KV_TRACE_ERROR(L"KvCommon::ByteArray::SetData() failed: 0x%08X", error);
            return false;
        }
        if (!store(name, data, &error))
        {
            KV_TRACE_ERROR(L"KvCommon::Storage::Reg::StoreValue() failed: 0x%08X", error);
            return false;
        }
        return true;
    }
    catch (...)
    {
        KV_TRACE_ERROR(L"KvCommon::Storage::Reg::StoreValue() failed: 0x%08X", Reg::UnknownError);
        return false;
    }
}

template <class Value> bool QueryChecked(const std::wstring& name, Value& value)
{
    DWORD error = 0;
    if (Reg::QueryValue(HKEY_LOCAL_MACHINE, KeyPath, name, value, DefaultView, &error) ||
        error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_DATA)
        return true;
    KV_TRACE_ERROR(L"KvCommon::Storage::Reg::QueryValue() failed: 0x%08X", error);
    return false;
}
} // namespace

DWORD QueryDword(const std::wstring& name, DWORD def)
{
    return Reg::QueryValue(HKEY_LOCAL_MACHINE, KeyPath, name, def);
}

bool QuerySetting(const std::wstring& name, DWORD def, DWORD& value)
{
    value = def;
    return QueryChecked(name, value);
}

bool QuerySetting(const std::wstring& name, std::wstring& value)
{
    value.clear();
    return QueryChecked(name, value);
}

std::wstring QueryString(const std::wstring& keyPath, const std::wstring& name)
{
    return Reg::QueryValue(HKEY_LOCAL_MACHINE, keyPath, name, std::wstring());
}

bool QueryBinary(const std::wstring& name, KvCommon::ByteArray& data, DWORD* error)
{
    return Reg::QueryValue(HKEY_LOCAL_MACHINE, KeyPath, name, data, DefaultView, error);
}

bool StoreDword(const std::wstring& name, DWORD value, DWORD* error)
{
    return Reg::StoreValue(HKEY_LOCAL_MACHINE, KeyPath, name, value, DefaultView, error);
}

bool StoreBinary(const std::wstring& name, const KvCommon::ByteArray& data, DWORD* error)
{
    return Reg::StoreValue(HKEY_LOCAL_MACHINE, KeyPath, name, data, DefaultView, error);
}

KvCommon::Storage::Reg::Writer OpenForStores()
{
    return KvCommon::Storage::Reg::Writer(HKEY_LOCAL_MACHINE, KeyPath, DefaultView);
}

bool StoreTimeStamp(const wchar_t* name, const SYSTEMTIME& time) noexcept
{
    return StoreStamp(name, time, &StoreBinary);
}

bool StoreTimeStamp(KvCommon::Storage::Reg::Writer& key, const wchar_t* name, const SYSTEMTIME& time) noexcept
{
    return StoreStamp(name, time,
                      [&](const std::wstring& value, const KvCommon::ByteArray& data, DWORD* error)
                      { return key.StoreValue(value, data, error); });
}

ULONG ReadTimeStamp(const std::wstring& name, SYSTEMTIME& time)
{
    KvCommon::ByteArray data;
    DWORD error = 0;
    if (!QueryBinary(name, data, &error))
    {
        KV_TRACE_ERROR(L"KvCommon::Storage::Reg::QueryValue() failed: 0x%08X", error);
        return error;
    }
    if (data.GetSize() != TimeStampSize || data.GetData() == nullptr)
    {
        KV_TRACE_ERROR(L"size of byte_array is invalid: %d", static_cast<int>(data.GetSize()));
        return SrvFrwk::RESULT_FAILED;
    }
    memcpy(&time, data.GetData(), TimeStampSize);
    return SrvFrwk::RESULT_SUCCESS;
}

SYSTEMTIME TodayAtNoon()
{
    SYSTEMTIME now{};
    KvCommon::Clock::GetLocalTime(&now);
    now.wHour = 12;
    now.wMinute = 0;
    now.wSecond = 0;
    now.wMilliseconds = 0;
    return now;
}
} // namespace EventLogKey

#pragma once
// Typed one-value operations on the event-log settings key (HKLM, view 0). Each call opens the key,
// does one thing and closes it. Failures never raise: queries give the default / empty / false.
#include "KvComn_ByteArray.h"
#include "KvComn_RegWriter.h"

#include <windows.h>
#include <string>

namespace EventLogKey
{
extern const wchar_t* const
    KeyPath; // "Software\Kelvanor\Brisqual\16\ServiceFramework\EnforceLayer\Common\EventLog"

DWORD QueryDword(const std::wstring& name, DWORD def);
// A value of the settings key where a fault must not pass for the default: def (or empty) when the
// value is missing or of another type; false, after an error trace, when it could not be read.
bool QuerySetting(const std::wstring& name, DWORD def, DWORD& value);
bool QuerySetting(const std::wstring& name, std::wstring& value);
// The string query takes its key path from the caller (the event-log key, or another HKLM key).
std::wstring QueryString(const std::wstring& keyPath, const std::wstring& name);
bool QueryBinary(const std::wstring& name, KvCommon::ByteArray& data, DWORD* error);
bool StoreDword(const std::wstring& name, DWORD value, DWORD* error);
bool StoreBinary(const std::wstring& name, const KvCommon::ByteArray& data, DWORD* error);

// One open of the key for several stores (created when missing).
KvCommon::Storage::Reg::Writer OpenForStores();

// Stores a SYSTEMTIME as a 16-byte binary value. Traces "KvCommon::ByteArray::SetData() failed: 0x%08X"
// (and then skips the store) or "KvCommon::Storage::Reg::StoreValue() failed: 0x%08X". True when stored.
// Never raises: a stamp that could not be stored must not turn a written line into a failure.
bool StoreTimeStamp(const wchar_t* name, const SYSTEMTIME& time) noexcept;
// The same through a key already open.
bool StoreTimeStamp(KvCommon::Storage::Reg::Writer& key, const wchar_t* name,
                    const SYSTEMTIME& time) noexcept;

// Reads a 16-byte time stamp. Returns RESULT_SUCCESS; the query's error code (2 when missing,
// 0x800300FD) after "KvCommon::Storage::Reg::QueryValue() failed: 0x%08X"; or RESULT_FAILED after
// "size of byte_array is invalid: %d". time is untouched unless RESULT_SUCCESS.
ULONG ReadTimeStamp(const std::wstring& name, SYSTEMTIME& time);

// Today (local clock) with the time of day 12:00:00.000.
SYSTEMTIME TodayAtNoon();
} // namespace EventLogKey

#pragma once
#include "KvComn_ByteArray.h"

#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Storage
{
// One-shot registry functions: each opens the key, does one thing, closes it. The bool forms set
// *error to 0 on success, the storage exception's code on failure, 0x800300FD for anything else.
namespace Reg
{
constexpr DWORD UnknownError = 0x800300FD; // STG_E_UNKNOWN

DWORD QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD def);
// value is left as it was unless the query succeeds.
bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& value, DWORD view,
                DWORD* error);
bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& value,
                DWORD view, DWORD* error);
std::wstring QueryValue(HKEY root, const std::wstring& path, const std::wstring& name,
                        const std::wstring& def);
bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, ByteArray& data, DWORD view,
                DWORD* error);
bool StoreValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value, DWORD view,
                DWORD* error);
bool StoreValue(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
                DWORD view, DWORD* error);
bool StoreValue(HKEY root, const std::wstring& path, const std::wstring& name, const ByteArray& data,
                DWORD view, DWORD* error);
bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);
} // namespace Reg
} // namespace Storage
} // namespace KvCommon

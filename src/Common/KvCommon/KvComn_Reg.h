#pragma once
#include "KvComn_ByteArray.h"
#include "KvComn_StorageException.h"

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

// Runs call and gives the bool forms' error code: 0, the storage exception's code, or UnknownError.
template <class Call> DWORD ErrorOf(Call&& call)
{
    try
    {
        call();
        return ERROR_SUCCESS;
    }
    catch (Exception* e)
    {
        const DWORD code = e->GetCode();
        delete e;
        return code;
    }
    catch (...)
    {
        return UnknownError;
    }
}

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

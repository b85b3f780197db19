#pragma once
#include "KvComn_ByteArray.h"
#include "KvComn_Registry.h"

#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Storage
{
namespace Reg
{
// Several stores under one open of a key, which is created when missing, as StoreValue creates it. Each
// store succeeds or fails on its own with StoreValue's error contract; after a failed open every store
// fails with the open's code. A store that finds the key deleted since the open creates it again and
// stores once more. The key is closed at destruction.
class Writer
{
public:
    Writer(HKEY root, const std::wstring& path, DWORD view);
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool StoreValue(const std::wstring& name, const std::wstring& value, DWORD* error);
    bool StoreValue(const std::wstring& name, const ByteArray& data, DWORD* error);
    // For a writer kept from one use to the next: opens the key again when the last open failed.
    void RetryFailedOpen();

private:
    DWORD Open();
    template <class Value> bool Store(const std::wstring& name, const Value& value, DWORD* error);

    Registry m_registry;
    HKEY m_root;
    std::wstring m_path;
    DWORD m_view;
    DWORD m_openError;
};
} // namespace Reg
} // namespace Storage
} // namespace KvCommon

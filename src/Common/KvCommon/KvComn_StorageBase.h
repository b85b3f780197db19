#pragma once
#include "KvComn_ByteArray.h"
#include "KvComn_StorageException.h"
#include "KvComn_StorageKey.h"

#include <string>
#include <vector>

namespace KvCommon
{
namespace Storage
{
// One interface over the registry and INI files. The plain operations raise Storage::Exception*; the
// quiet ones (with an error pointer) catch it, report its code and return false / the default.
// Derived classes that override some overloads must say `using Base::QueryValue;` (and StoreValue,
// DeleteValue) to keep the others visible. Pass DWORD-typed values to StoreValue: a plain int is
// ambiguous between the DWORD and QWORD slots.
class Base
{
public:
    Base() = default;
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
    virtual ~Base() = default;                                                                        // 0
    virtual bool Open(const Key& key, const wchar_t* subKey) = 0;                                     // 1
    virtual bool Create(const Key& key, const wchar_t* subKey) = 0;                                   // 2
    virtual bool OpenForWrite(const Key& key, const wchar_t* subKey);                                 // 3
    virtual bool OpenForEnumeration(const Key& key, const wchar_t* subKey);                           // 4
    virtual bool Close(bool& flush) = 0;                                                              // 5
    virtual bool Flush() = 0;                                                                         // 6
    virtual bool QueryValue(const std::wstring& name, ByteArray& data, DWORD* error);                 // 7
    virtual bool QueryValue(const std::wstring& name, ByteArray& data);                               // 8
    virtual std::wstring QueryValue(const std::wstring& name, const std::wstring& def, DWORD* error); // 9
    virtual std::wstring QueryValue(const std::wstring& name, const std::wstring& def) = 0;           // 10
    virtual DWORD QueryValue(const std::wstring& name, DWORD& def, DWORD* error);                     // 11
    virtual DWORD QueryValue(const std::wstring& name, DWORD& def) = 0;                               // 12
    virtual bool StoreValue(const std::wstring& name, const ByteArray& data);                         // 13
    virtual bool StoreValue(const std::wstring& name, const std::wstring& value) = 0;                 // 14
    virtual bool StoreValue(const std::wstring& name, ULONGLONG value);                               // 15
    virtual bool StoreValue(const std::wstring& name, DWORD value) = 0;                               // 16
    virtual bool DeleteKey() = 0;                                                                     // 17
    virtual bool DeleteValue(const wchar_t* name) = 0;                                                // 18
    virtual bool DeleteValue(const std::wstring& name) = 0;                                           // 19
    virtual bool EnumKeys(std::vector<std::wstring>& names);                                          // 20
    virtual bool EnumValues(std::vector<std::wstring>& names);                                        // 21
};
} // namespace Storage
} // namespace KvCommon

#pragma once
#include "KvComn_StorageBase.h"

namespace KvCommon
{
namespace Storage
{
// INI storage over the private profile functions: a sub-key is a section, a value name a key.
// All failures raise Storage::Exception* (160 when file, section or name is missing).
class IniFile : public Base
{
public:
    IniFile() = default;
    ~IniFile() override = default;

    using Base::DeleteValue;
    using Base::QueryValue;
    using Base::StoreValue;

    bool Open(const Key& key, const wchar_t* subKey) override;
    bool Create(const Key& key, const wchar_t* subKey) override;
    bool Close(bool& flush) override;
    bool Flush() override;
    // Quiet queries: the default, without reading the file.
    std::wstring QueryValue(const std::wstring& name, const std::wstring& def, DWORD* error) override;
    DWORD QueryValue(const std::wstring& name, DWORD& def, DWORD* error) override;
    std::wstring QueryValue(const std::wstring& name, const std::wstring& def) override;
    DWORD QueryValue(const std::wstring& name, DWORD& def) override;
    bool StoreValue(const std::wstring& name, const std::wstring& value) override;
    bool StoreValue(const std::wstring& name, DWORD value) override;
    bool DeleteKey() override;
    bool DeleteValue(const wchar_t* name) override;
    bool DeleteValue(const std::wstring& name) override;

    const std::wstring& GetFile() const { return m_strFile; }
    const std::wstring& GetSection() const { return m_strSection; }

private:
    void CheckValueName(const std::wstring& name) const;

    std::wstring m_strFile;
    std::wstring m_strSection;
};
} // namespace Storage
} // namespace KvCommon

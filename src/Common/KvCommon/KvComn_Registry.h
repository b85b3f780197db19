#pragma once
#include "KvComn_StorageBase.h"

namespace KvCommon
{
namespace Storage
{
constexpr DWORD ViewDefault = 0;
constexpr DWORD View32 = 1; // KEY_WOW64_32KEY
constexpr DWORD View64 = 2; // KEY_WOW64_64KEY

// Registry storage. Open exactly when root and key are both set. Codes raised: the Win32 status,
// 6 on a closed object or failed allocation, 13 for a wrong type or size, 160 for a null root.
class Registry : public Base
{
public:
    Registry() = default;
    ~Registry() override; // closes without flushing; a storage exception there is swallowed

    using Base::DeleteValue;
    using Base::QueryValue;
    using Base::StoreValue;

    // Full path = key path, "\" when needed, sub-key; then the matching opener.
    bool Open(const Key& key, const wchar_t* subKey) override;
    bool Create(const Key& key, const wchar_t* subKey) override;
    bool OpenForWrite(const Key& key, const wchar_t* subKey) override;
    bool OpenForEnumeration(const Key& key, const wchar_t* subKey) override;
    bool Close(bool& flush) override;
    bool Flush() override;
    bool QueryValue(const std::wstring& name, ByteArray& data) override;
    std::wstring QueryValue(const std::wstring& name, const std::wstring& def) override;
    DWORD QueryValue(const std::wstring& name, DWORD& def) override;
    bool StoreValue(const std::wstring& name, const ByteArray& data) override;
    bool StoreValue(const std::wstring& name, const std::wstring& value) override;
    bool StoreValue(const std::wstring& name, ULONGLONG value) override;
    bool StoreValue(const std::wstring& name, DWORD value) override;
    bool DeleteKey() override;
    bool DeleteValue(const wchar_t* name) override;
    bool DeleteValue(const std::wstring& name) override;
    bool EnumKeys(std::vector<std::wstring>& names) override;
    bool EnumValues(std::vector<std::wstring>& names) override;

    // Openers on a full path: RegOpenKeyExW with 1, RegCreateKeyExW with 7 and kind-4 security,
    // RegOpenKeyExW with 0x10002, RegOpenKeyExW with 9; the view's flag is added to the access.
    bool OpenKey(HKEY root, const std::wstring& path, DWORD view);
    bool CreateKey(HKEY root, const std::wstring& path, DWORD view);
    bool OpenKeyForWrite(HKEY root, const std::wstring& path, DWORD view);
    bool OpenKeyForEnumeration(HKEY root, const std::wstring& path, DWORD view);

    // Key path and sub-key joined with one "\" (none when the path is empty).
    static std::wstring JoinPath(const wchar_t* path, const wchar_t* subKey);

    bool IsOpen() const { return m_hRoot != nullptr && m_hKey != nullptr; }
    HKEY GetKey() const { return m_hKey; }
    const std::wstring& GetPath() const { return m_strPath; }

private:
    void CheckOpen() const;
    bool OpenWith(HKEY root, const std::wstring& path, DWORD view, REGSAM access, bool create);

    HKEY m_hRoot = nullptr;
    HKEY m_hKey = nullptr;
    std::wstring m_strPath;
    DWORD m_dwView = ViewDefault;
};
} // namespace Storage
} // namespace KvCommon

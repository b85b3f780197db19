#include "KvComn_Registry.h"
#include "KvComn_SecurityAttributes.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

namespace KvCommon
{
namespace Storage
{
namespace
{
constexpr REGSAM kAccessOpen = KEY_QUERY_VALUE;                                        // 1
constexpr REGSAM kAccessCreate = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY; // 7
constexpr REGSAM kAccessWrite = KEY_SET_VALUE | DELETE;                                // 0x10002
constexpr REGSAM kAccessEnumerate = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;          // 9
constexpr DWORD kEnumNameChars = 255;

REGSAM ViewFlag(DWORD view)
{
    switch (view)
    {
    case View32:
        return KEY_WOW64_32KEY;
    case View64:
        return KEY_WOW64_64KEY;
    default:
        return 0;
    }
}

void ThrowIfFailed(LONG status)
{
    if (status != ERROR_SUCCESS)
        KV_THROW_STORAGE(static_cast<DWORD>(status));
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

std::unique_ptr<BYTE[]> AllocateZeroed(DWORD size)
{
    // One spare byte keeps the buffer non-empty for a zero-length value.
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size + sizeof(wchar_t)]);
    if (!buffer)
        KV_THROW_STORAGE(ERROR_INVALID_HANDLE);
    std::memset(buffer.get(), 0, size + sizeof(wchar_t));
    return buffer;
}
} // namespace

Registry::~Registry()
{
    if (!IsOpen())
        return;
    try
    {
        bool flush = false;
        Close(flush);
    }
    catch (Exception* e)
    {
        delete e;
    }
    catch (...)
    {
        // The exception object itself may not have found memory; a destructor must not throw.
    }
}

std::wstring Registry::JoinPath(const wchar_t* path, const wchar_t* subKey)
{
    std::wstring full = path ? path : L"";
    if (!full.empty() && full.back() != L'\\')
        full += L'\\';
    if (subKey)
        full += subKey;
    return full;
}

bool Registry::Open(const Key& key, const wchar_t* subKey)
{
    return OpenKey(key.GetRoot(), JoinPath(key.GetPath(), subKey), m_dwView);
}

bool Registry::Create(const Key& key, const wchar_t* subKey)
{
    return CreateKey(key.GetRoot(), JoinPath(key.GetPath(), subKey), m_dwView);
}

bool Registry::OpenForWrite(const Key& key, const wchar_t* subKey)
{
    return OpenKeyForWrite(key.GetRoot(), JoinPath(key.GetPath(), subKey), m_dwView);
}

bool Registry::OpenForEnumeration(const Key& key, const wchar_t* subKey)
{
    return OpenKeyForEnumeration(key.GetRoot(), JoinPath(key.GetPath(), subKey), m_dwView);
}

bool Registry::OpenKey(HKEY root, const std::wstring& path, DWORD view)
{
    return OpenWith(root, path, view, kAccessOpen, false);
}

bool Registry::CreateKey(HKEY root, const std::wstring& path, DWORD view)
{
    return OpenWith(root, path, view, kAccessCreate, true);
}

bool Registry::OpenKeyForWrite(HKEY root, const std::wstring& path, DWORD view)
{
    return OpenWith(root, path, view, kAccessWrite, false);
}

bool Registry::OpenKeyForEnumeration(HKEY root, const std::wstring& path, DWORD view)
{
    return OpenWith(root, path, view, kAccessEnumerate, false);
}

bool Registry::OpenWith(HKEY root, const std::wstring& path, DWORD view, REGSAM access, bool create)
{
    if (!root)
        KV_THROW_STORAGE(ERROR_BAD_ARGUMENTS);
    access |= ViewFlag(view);
    HKEY key = nullptr;
    LONG status;
    if (create)
    {
        const DWORD kind = AccessControl::KindRegistryKey;
        const bool inheritable = false;
        AccessControl::SecurityAttributes attributes(kind, inheritable);
        status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                   attributes.Get(), &key, nullptr);
    }
    else
    {
        status = ::RegOpenKeyExW(root, path.c_str(), 0, access, &key);
    }
    ThrowIfFailed(status);
    if (m_hKey)
        ::RegCloseKey(m_hKey); // a reopened object must not leak its first key
    m_hRoot = root;
    m_hKey = key;
    m_strPath = path;
    return true;
}

void Registry::CheckOpen() const
{
    if (!IsOpen())
        KV_THROW_STORAGE(ERROR_INVALID_HANDLE);
}

bool Registry::Close(bool& flush)
{
    CheckOpen();
    if (flush)
        Flush();
    ThrowIfFailed(::RegCloseKey(m_hKey));
    m_hRoot = nullptr;
    m_hKey = nullptr;
    m_strPath.clear();
    return true;
}

bool Registry::Flush()
{
    CheckOpen();
    ThrowIfFailed(::RegFlushKey(m_hKey));
    return true;
}

DWORD Registry::QueryValue(const std::wstring& name, DWORD&)
{
    CheckOpen();
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    LONG status =
        ::RegQueryValueExW(m_hKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    // A value longer than four bytes is the wrong size, whatever its type.
    if (status == ERROR_MORE_DATA)
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    ThrowIfFailed(status);
    if (type != REG_DWORD || size != sizeof(value))
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    return value;
}

std::wstring Registry::QueryValue(const std::wstring& name, const std::wstring& def)
{
    std::wstring result = def;
    CheckOpen();
    DWORD type = 0;
    DWORD size = 0;
    ThrowIfFailed(::RegQueryValueExW(m_hKey, name.c_str(), nullptr, &type, nullptr, &size));
    if (!IsStringType(type))
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    std::unique_ptr<BYTE[]> buffer = AllocateZeroed(size);
    const DWORD expected = size;
    ThrowIfFailed(::RegQueryValueExW(m_hKey, name.c_str(), nullptr, &type, buffer.get(), &size));
    if (!IsStringType(type) || size != expected)
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    // A value stored without its NUL ends at its stored length.
    const wchar_t* text = reinterpret_cast<const wchar_t*>(buffer.get());
    result.assign(text, wcsnlen(text, size / sizeof(wchar_t)));
    return result;
}

bool Registry::QueryValue(const std::wstring& name, ByteArray& data)
{
    CheckOpen();
    DWORD type = 0;
    DWORD size = 0;
    ThrowIfFailed(::RegQueryValueExW(m_hKey, name.c_str(), nullptr, &type, nullptr, &size));
    if (type != REG_BINARY)
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    std::unique_ptr<BYTE[]> buffer = AllocateZeroed(size);
    const DWORD expected = size;
    ThrowIfFailed(::RegQueryValueExW(m_hKey, name.c_str(), nullptr, &type, buffer.get(), &size));
    if (type != REG_BINARY || size != expected)
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    DWORD error = ERROR_SUCCESS;
    if (!data.Allocate(size, &error) || !data.SetData(buffer.get(), size, &error))
        KV_THROW_STORAGE(error);
    return true;
}

bool Registry::StoreValue(const std::wstring& name, const ByteArray& data)
{
    CheckOpen();
    ThrowIfFailed(::RegSetValueExW(m_hKey, name.c_str(), 0, REG_BINARY, data.GetData(),
                                   static_cast<DWORD>(data.GetSize())));
    return true;
}

bool Registry::StoreValue(const std::wstring& name, const std::wstring& value)
{
    CheckOpen();
    // The text ends at its first NUL, and so does the value: no byte beyond it may reach the registry.
    const size_t chars = wcsnlen(value.c_str(), value.size()) + 1;
    if (chars > MAXDWORD / sizeof(wchar_t))
        KV_THROW_STORAGE(ERROR_INVALID_DATA);
    ThrowIfFailed(::RegSetValueExW(m_hKey, name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(chars * sizeof(wchar_t))));
    return true;
}

bool Registry::StoreValue(const std::wstring& name, ULONGLONG value)
{
    CheckOpen();
    ThrowIfFailed(::RegSetValueExW(m_hKey, name.c_str(), 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)));
    return true;
}

bool Registry::StoreValue(const std::wstring& name, DWORD value)
{
    CheckOpen();
    ThrowIfFailed(::RegSetValueExW(m_hKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)));
    return true;
}

bool Registry::DeleteKey()
{
    CheckOpen();
    ThrowIfFailed(::RegDeleteKeyW(m_hKey, L""));
    return true;
}

bool Registry::DeleteValue(const wchar_t* name)
{
    return DeleteValue(std::wstring(name ? name : L""));
}

bool Registry::DeleteValue(const std::wstring& name)
{
    CheckOpen();
    ThrowIfFailed(::RegDeleteValueW(m_hKey, name.c_str()));
    return true;
}

bool Registry::EnumKeys(std::vector<std::wstring>& names)
{
    CheckOpen();
    for (DWORD index = 0;; ++index)
    {
        wchar_t name[kEnumNameChars] = {};
        DWORD length = kEnumNameChars;
        LONG status = ::RegEnumKeyExW(m_hKey, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        ThrowIfFailed(status);
        names.emplace_back(name, length);
    }
}

bool Registry::EnumValues(std::vector<std::wstring>& names)
{
    CheckOpen();
    for (DWORD index = 0;; ++index)
    {
        wchar_t name[kEnumNameChars] = {};
        DWORD length = kEnumNameChars;
        LONG status = ::RegEnumValueW(m_hKey, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        ThrowIfFailed(status);
        names.emplace_back(name, length);
    }
}
} // namespace Storage
} // namespace KvCommon

#include "KvComn_IniFile.h"
#include "KvComn_String.h"

#include <memory>
#include <new>

namespace KvCommon
{
namespace Storage
{
namespace
{
void ThrowLastErrorIf(BOOL failed)
{
    if (failed)
        KV_THROW_STORAGE(::GetLastError());
}
} // namespace

bool IniFile::Open(const Key& key, const wchar_t* subKey)
{
    // For the INI kind the root field carries the folder text.
    const wchar_t* folder = reinterpret_cast<const wchar_t*>(key.GetRoot());
    std::wstring file = folder ? folder : L"";
    if (!file.empty() && file.back() != L'\\')
        file += L'\\';
    if (key.GetPath())
        file += key.GetPath();
    std::wstring section = subKey ? subKey : L"";
    if (file.empty() || section.empty())
        KV_THROW_STORAGE(ERROR_BAD_ARGUMENTS);
    m_strFile = file;
    m_strSection = section;
    return true;
}

bool IniFile::Create(const Key& key, const wchar_t* subKey)
{
    return Open(key, subKey);
}

bool IniFile::Close(bool& flush)
{
    bool result = true;
    if (flush)
        result = Flush();
    m_strFile.clear();
    m_strSection.clear();
    return result;
}

bool IniFile::Flush()
{
    if (m_strFile.empty())
        KV_THROW_STORAGE(ERROR_BAD_ARGUMENTS);
    // The all-null call only flushes the profile cache and answers FALSE without an error code.
    ::SetLastError(ERROR_SUCCESS);
    const BOOL flushed = ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, m_strFile.c_str());
    ThrowLastErrorIf(!flushed && ::GetLastError() != ERROR_SUCCESS);
    return true;
}

void IniFile::CheckValueName(const std::wstring& name) const
{
    if (m_strFile.empty() || m_strSection.empty() || name.empty())
        KV_THROW_STORAGE(ERROR_BAD_ARGUMENTS);
}

// The quiet queries answer the default without touching the file.
std::wstring IniFile::QueryValue(const std::wstring&, const std::wstring& def, DWORD*)
{
    return def;
}

DWORD IniFile::QueryValue(const std::wstring&, DWORD& def, DWORD*)
{
    return def;
}

std::wstring IniFile::QueryValue(const std::wstring& name, const std::wstring& def)
{
    CheckValueName(name);
    size_t size = String::GetStartSize();
    for (;;)
    {
        std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
        if (!buffer)
            KV_THROW_STORAGE(ERROR_INVALID_HANDLE);
        buffer[0] = L'\0';
        DWORD length = ::GetPrivateProfileStringW(m_strSection.c_str(), name.c_str(), def.c_str(),
                                                  buffer.get(), static_cast<DWORD>(size), m_strFile.c_str());
        // A text that filled the buffer may have been cut: read again with a larger one.
        if (length != size - 1)
            return std::wstring(buffer.get(), length);
        size += String::GetStepSize();
    }
}

DWORD IniFile::QueryValue(const std::wstring& name, DWORD& def)
{
    CheckValueName(name);
    return ::GetPrivateProfileIntW(m_strSection.c_str(), name.c_str(), static_cast<INT>(def),
                                   m_strFile.c_str());
}

bool IniFile::StoreValue(const std::wstring& name, const std::wstring& value)
{
    CheckValueName(name);
    ThrowLastErrorIf(
        !::WritePrivateProfileStringW(m_strSection.c_str(), name.c_str(), value.c_str(), m_strFile.c_str()));
    return true;
}

bool IniFile::StoreValue(const std::wstring& name, DWORD value)
{
    std::wstring text;
    String::Format(text, L"%u", value);
    return StoreValue(name, text);
}

bool IniFile::DeleteKey()
{
    if (m_strFile.empty() || m_strSection.empty())
        KV_THROW_STORAGE(ERROR_BAD_ARGUMENTS);
    ThrowLastErrorIf(
        !::WritePrivateProfileStringW(m_strSection.c_str(), nullptr, nullptr, m_strFile.c_str()));
    return true;
}

bool IniFile::DeleteValue(const wchar_t* name)
{
    return DeleteValue(std::wstring(name ? name : L""));
}

bool IniFile::DeleteValue(const std::wstring& name)
{
    CheckValueName(name);
    ThrowLastErrorIf(
        !::WritePrivateProfileStringW(m_strSection.c_str(), name.c_str(), nullptr, m_strFile.c_str()));
    return true;
}
} // namespace Storage
} // namespace KvCommon

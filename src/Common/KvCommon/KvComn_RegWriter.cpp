#include "KvComn_RegWriter.h"

#include "KvComn_Reg.h"

namespace KvCommon
{
namespace Storage
{
namespace Reg
{
Writer::Writer(HKEY root, const std::wstring& path, DWORD view)
    : m_openError(ErrorOf([&] { m_registry.CreateKey(root, path, view); }))
{
}

template <class Value> bool Writer::Store(const std::wstring& name, const Value& value, DWORD* error)
{
    const DWORD code =
        m_openError != ERROR_SUCCESS ? m_openError : ErrorOf([&] { m_registry.StoreValue(name, value); });
    if (error)
        *error = code;
    return code == ERROR_SUCCESS;
}

bool Writer::StoreValue(const std::wstring& name, const std::wstring& value, DWORD* error)
{
    return Store(name, value, error);
}

bool Writer::StoreValue(const std::wstring& name, const ByteArray& data, DWORD* error)
{
    return Store(name, data, error);
}
} // namespace Reg
} // namespace Storage
} // namespace KvCommon

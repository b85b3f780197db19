#include "KvComn_RegWriter.h"

#include "KvComn_Reg.h"

namespace KvCommon
{
namespace Storage
{
namespace Reg
{
Writer::Writer(HKEY root, const std::wstring& path, DWORD view)
    : m_root(root), m_path(path), m_view(view), m_openError(Open())
{
}

DWORD Writer::Open()
{
    return ErrorOf([&] { m_registry.CreateKey(m_root, m_path, m_view); });
}

void Writer::RetryFailedOpen()
{
    if (m_openError != ERROR_SUCCESS)
        m_openError = Open();
}

template <class Value> bool Writer::Store(const std::wstring& name, const Value& value, DWORD* error)
{
    auto store = [&] {
        return m_openError != ERROR_SUCCESS ? m_openError
                                            : ErrorOf([&] { m_registry.StoreValue(name, value); });
    };
    DWORD code = store();
    if (code == ERROR_KEY_DELETED)
    {
        m_openError = Open();
        code = store();
    }
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

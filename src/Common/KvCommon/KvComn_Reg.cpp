#include "KvComn_Reg.h"
#include "KvComn_Registry.h"

namespace KvCommon
{
namespace Storage
{
namespace Reg
{
namespace
{
// One open-do-close round; the error contract of the bool forms.
template <class Call> bool Guarded(Call&& call, DWORD* error)
{
    DWORD code = ERROR_SUCCESS;
    try
    {
        call();
    }
    catch (Exception* e)
    {
        code = e->GetCode();
        delete e;
    }
    catch (...)
    {
        code = UnknownError;
    }
    if (error)
        *error = code;
    return code == ERROR_SUCCESS;
}

void CloseWithoutFlush(Registry& registry)
{
    bool flush = false;
    registry.Close(flush);
}
} // namespace

DWORD QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD def)
{
    DWORD result = def;
    Guarded(
        [&]
        {
            Registry registry;
            registry.OpenKey(root, path, ViewDefault);
            result = registry.QueryValue(name, def);
            CloseWithoutFlush(registry);
        },
        nullptr);
    return result;
}

std::wstring QueryValue(HKEY root, const std::wstring& path, const std::wstring& name,
                        const std::wstring& def)
{
    std::wstring result = def;
    Guarded(
        [&]
        {
            Registry registry;
            registry.OpenKey(root, path, ViewDefault);
            result = registry.QueryValue(name, def);
            CloseWithoutFlush(registry);
        },
        nullptr);
    return result;
}

bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, ByteArray& data, DWORD view,
                DWORD* error)
{
    return Guarded(
        [&]
        {
            Registry registry;
            registry.OpenKey(root, path, view);
            registry.QueryValue(name, data);
            CloseWithoutFlush(registry);
        },
        error);
}

namespace
{
template <class Value>
bool Store(HKEY root, const std::wstring& path, const std::wstring& name, const Value& value, DWORD view,
           DWORD* error)
{
    return Guarded(
        [&]
        {
            Registry registry;
            registry.CreateKey(root, path, view);
            registry.StoreValue(name, value);
            CloseWithoutFlush(registry);
        },
        error);
}
} // namespace

bool StoreValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value, DWORD view,
                DWORD* error)
{
    return Store(root, path, name, value, view, error);
}

bool StoreValue(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
                DWORD view, DWORD* error)
{
    return Store(root, path, name, value, view, error);
}

bool StoreValue(HKEY root, const std::wstring& path, const std::wstring& name, const ByteArray& data,
                DWORD view, DWORD* error)
{
    return Store(root, path, name, data, view, error);
}

bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name)
{
    return Guarded(
        [&]
        {
            Registry registry;
            registry.OpenKeyForWrite(root, path, ViewDefault);
            registry.DeleteValue(name);
            CloseWithoutFlush(registry);
        },
        nullptr);
}
} // namespace Reg
} // namespace Storage
} // namespace KvCommon

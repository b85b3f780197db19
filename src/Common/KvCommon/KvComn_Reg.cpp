#include "KvComn_Reg.h"
#include "KvComn_Registry.h"

#include <utility>

namespace KvCommon
{
namespace Storage
{
namespace Reg
{
namespace
{
using Opener = bool (Registry::*)(HKEY, const std::wstring&, DWORD);

// One open-do-close round with the error contract of the bool forms: 0, the storage exception's code, or
// UnknownError for anything else.
template <class Call>
bool OneShot(Opener open, HKEY root, const std::wstring& path, DWORD view, DWORD* error, Call&& call)
{
    const DWORD code = ErrorOf(
        [&]
        {
            Registry registry;
            (registry.*open)(root, path, view);
            call(registry);
            bool flush = false;
            registry.Close(flush);
        });
    if (error)
        *error = code;
    return code == ERROR_SUCCESS;
}

template <class Value> Value Query(HKEY root, const std::wstring& path, const std::wstring& name, Value def)
{
    Value result = def;
    OneShot(&Registry::OpenKey, root, path, ViewDefault, nullptr,
            [&](Registry& registry) { result = registry.QueryValue(name, def); });
    return result;
}

template <class Value>
bool Store(HKEY root, const std::wstring& path, const std::wstring& name, const Value& value, DWORD view,
           DWORD* error)
{
    return OneShot(&Registry::CreateKey, root, path, view, error,
                   [&](Registry& registry) { registry.StoreValue(name, value); });
}

template <class Value>
bool QueryChecked(HKEY root, const std::wstring& path, const std::wstring& name, Value& value, DWORD view,
                  DWORD* error)
{
    Value read = value;
    if (!OneShot(&Registry::OpenKey, root, path, view, error,
                 [&](Registry& registry) { read = registry.QueryValue(name, read); }))
        return false;
    value = std::move(read);
    return true;
}
} // namespace

DWORD QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD def)
{
    return Query(root, path, name, def);
}

std::wstring QueryValue(HKEY root, const std::wstring& path, const std::wstring& name,
                        const std::wstring& def)
{
    return Query(root, path, name, def);
}

bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& value, DWORD view,
                DWORD* error)
{
    return QueryChecked(root, path, name, value, view, error);
}

bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& value,
                DWORD view, DWORD* error)
{
    return QueryChecked(root, path, name, value, view, error);
}

bool QueryValue(HKEY root, const std::wstring& path, const std::wstring& name, ByteArray& data, DWORD view,
                DWORD* error)
{
    return OneShot(&Registry::OpenKey, root, path, view, error,
                   [&](Registry& registry) { registry.QueryValue(name, data); });
}

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
    return OneShot(&Registry::OpenKeyForWrite, root, path, ViewDefault, nullptr,
                   [&](Registry& registry) { registry.DeleteValue(name); });
}
} // namespace Reg
} // namespace Storage
} // namespace KvCommon

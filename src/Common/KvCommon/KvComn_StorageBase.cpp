#include "KvComn_StorageBase.h"

namespace KvCommon
{
namespace Storage
{
namespace
{
// Runs the plain operation; a storage failure becomes the fallback with its code reported.
template <class Result, class Call> Result Quietly(Call&& call, Result fallback, DWORD* error)
{
    try
    {
        return call();
    }
    catch (Exception* e)
    {
        if (error)
            *error = e->GetCode();
        delete e;
        return fallback;
    }
}
} // namespace

bool Base::OpenForWrite(const Key&, const wchar_t*)
{
    return false;
}

bool Base::OpenForEnumeration(const Key&, const wchar_t*)
{
    return false;
}

bool Base::QueryValue(const std::wstring& name, ByteArray& data, DWORD* error)
{
    return Quietly<bool>([&] { return QueryValue(name, data); }, false, error);
}

bool Base::QueryValue(const std::wstring&, ByteArray&)
{
    return false;
}

std::wstring Base::QueryValue(const std::wstring& name, const std::wstring& def, DWORD* error)
{
    return Quietly<std::wstring>([&] { return QueryValue(name, def); }, def, error);
}

DWORD Base::QueryValue(const std::wstring& name, DWORD& def, DWORD* error)
{
    return Quietly<DWORD>([&] { return QueryValue(name, def); }, def, error);
}

bool Base::StoreValue(const std::wstring&, const ByteArray&)
{
    return false;
}

bool Base::StoreValue(const std::wstring&, ULONGLONG)
{
    return false;
}

bool Base::EnumKeys(std::vector<std::wstring>&)
{
    return false;
}

bool Base::EnumValues(std::vector<std::wstring>&)
{
    return false;
}
} // namespace Storage
} // namespace KvCommon

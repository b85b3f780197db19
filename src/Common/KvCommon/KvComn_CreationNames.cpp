#include "KvComn_CreationNames.h"
#include "KvComn_System.h"

namespace KvCommon
{
bool CreationNames::Make(std::wstring& out, const std::wstring& name, const wchar_t* prefix)
{
    out.clear();
    if (name.empty())
        return false;
    const DWORD nt5 = 11;
    const bool modern = System::IsOsVersion(nt5);
    if (System::GetVersionError() != 0)
        return false;
    if (!modern)
        out = name;
    else if (name.find(prefix) == std::wstring::npos)
        out = prefix + name;
    else
        out = name;
    return true;
}

bool CreationNames::MakeGlobal(std::wstring& out, const std::wstring& name)
{
    bool ok = Make(out, name, L"Global\\");
    m_strGlobal = out;
    return ok;
}

bool CreationNames::MakeLocal(std::wstring& out, const std::wstring& name)
{
    bool ok = Make(out, name, L"Local\\");
    m_strLocal = out;
    return ok;
}
} // namespace KvCommon

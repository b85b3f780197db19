#include "KvComn_Library.h"
#include "KvComn_String.h"

namespace KvCommon
{
namespace Library
{
Base::~Base()
{
    Free();
}

bool Base::Load(const std::wstring& path)
{
    if (m_hModule)
        return false;
    m_hModule = ::LoadLibraryW(path.c_str());
    return m_hModule != nullptr;
}

bool Base::Free()
{
    if (!m_hModule)
        return false;
    if (!::FreeLibrary(m_hModule))
    {
        ::GetLastError();
        return false;
    }
    m_hModule = nullptr;
    return true;
}

FARPROC Base::GetEntry(const std::wstring& name) const
{
    if (!m_hModule)
        return nullptr;
    std::string narrow;
    if (!String::ToNarrow(name.c_str(), narrow) || narrow.empty())
        return nullptr;
    return ::GetProcAddress(m_hModule, narrow.c_str());
}
} // namespace Library
} // namespace KvCommon

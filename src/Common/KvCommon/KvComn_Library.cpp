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

bool Base::LoadFile(const std::wstring& fullPath)
{
    const bool drivePath = fullPath.size() > 2 && fullPath[1] == L':' && fullPath[2] == L'\\';
    const bool uncPath = fullPath.size() > 2 && fullPath[0] == L'\\' && fullPath[1] == L'\\';
    if (m_hModule || !(drivePath || uncPath))
        return false;
    const DWORD attributes = ::GetFileAttributesW(fullPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // Dependencies are looked for beside the file first, not in the host's folder.
    m_hModule = ::LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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

bool ModuleFolder(HMODULE module, std::wstring& folder)
{
    // Paths may exceed MAX_PATH; a full buffer means the name was cut.
    for (DWORD size = MAX_PATH; size < 65536; size *= 2)
    {
        std::wstring path(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(module, &path[0], size);
        if (length == 0)
            return false;
        if (length < size)
        {
            const size_t slash = path.rfind(L'\\', length);
            if (slash == std::wstring::npos)
                return false;
            folder.assign(path, 0, slash + 1);
            return true;
        }
    }
    return false;
}
} // namespace Library
} // namespace KvCommon

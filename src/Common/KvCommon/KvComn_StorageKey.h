#pragma once
#include <windows.h>

namespace KvCommon
{
namespace Storage
{
constexpr DWORD KindRegistry = 0;
constexpr DWORD KindIniFile = 1;
constexpr DWORD KindRegistryAlt = 4;

// Where a set of settings lives. For the INI kind, root holds a pointer to the folder (wide text) and
// path the file name.
class Key
{
public:
    Key(DWORD kind, HKEY root, const wchar_t* path) : m_dwKind(kind), m_hRoot(root), m_pszPath(path) {}
    virtual ~Key() = default;

    DWORD GetKind() const { return m_dwKind; }
    HKEY GetRoot() const { return m_hRoot; }
    const wchar_t* GetPath() const { return m_pszPath; }

private:
    DWORD m_dwKind;
    HKEY m_hRoot;
    const wchar_t* m_pszPath; // not owned
};
} // namespace Storage
} // namespace KvCommon

#pragma once
#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Library
{
// Owns one module handle and frees it in the destructor.
class Base
{
public:
    Base() = default;
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
    virtual ~Base();

    // LoadLibraryW; false when a module is already held or the load fails.
    bool Load(const std::wstring& path);
    // Loads exactly the file at this full path. A relative path or a missing file is refused, so the
    // loader never searches the current folder or the PATH in its place.
    bool LoadFile(const std::wstring& fullPath);
    // FreeLibrary; the module is forgotten only when that succeeds.
    bool Free();
    HMODULE GetModule() const { return m_hModule; }
    // GetProcAddress by a wide name, converted to the ANSI code page; null when missing.
    FARPROC GetEntry(const std::wstring& name) const;

protected:
    HMODULE m_hModule = nullptr;
};

// Base of typed wrappers that resolve entry points.
class Wrapper : public Base
{
};

// The folder that holds a loaded module, ending in "\"; false when it cannot be found.
bool ModuleFolder(HMODULE module, std::wstring& folder);
} // namespace Library
} // namespace KvCommon

#include "KvComn_KvDbg.h"

namespace KvCommon
{
namespace Library
{
namespace
{
// Writes the error only where the caller asked for it.
void SetError(DWORD* error, DWORD code)
{
    if (error)
        *error = code;
}

template <class Pfn> bool LookUp(const Wrapper& wrapper, const wchar_t* name, Pfn& entry, DWORD* error)
{
    entry = reinterpret_cast<Pfn>(reinterpret_cast<void*>(wrapper.GetEntry(name)));
    if (entry)
        return true;
    SetError(error, ::GetLastError());
    return false;
}
} // namespace

bool KvDbg::Bind(bool load, DWORD* error)
{
    m_bBound = false;
    m_pfnInitialize = nullptr;
    m_pfnUninitialize = nullptr;
    m_pfnTrace = nullptr;
    if (!load)
        return true;
    if (!m_hModule)
    {
        SetError(error, ERROR_INVALID_HANDLE);
        return false;
    }
    // All three are looked up even after a miss, in the library's documented order.
    bool found = LookUp(*this, L"KvDbgInitialize", m_pfnInitialize, error);
    found = LookUp(*this, L"KvDbgUninitialize", m_pfnUninitialize, error) && found;
    found = LookUp(*this, L"KvDbgTrace", m_pfnTrace, error) && found;
    m_bBound = found;
    return found;
}
} // namespace Library
} // namespace KvCommon

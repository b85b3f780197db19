#include "KvComn_CriticalSection.h"

namespace KvCommon
{
namespace Synchronize
{
CriticalSection::CriticalSection()
{
    ::InitializeCriticalSection(&m_cs);
}

CriticalSection::~CriticalSection()
{
    ::DeleteCriticalSection(&m_cs);
}

DWORD CriticalSection::Lock()
{
    ::EnterCriticalSection(&m_cs);
    return 0;
}

DWORD CriticalSection::Unlock()
{
    ::LeaveCriticalSection(&m_cs);
    return 0;
}
} // namespace Synchronize
} // namespace KvCommon

#include "SrvFrwk_ReferenceCount.h"

#include "KvComn_DebugLog.h"
#include "KvComn_SingleLock.h"

namespace SrvFrwk
{
namespace Utility
{
namespace
{
constexpr ULONG MaxCount = 0xFFFFFFFF;
}

ReferenceCount::ReferenceCount()
{
    SetCount(0);
}

void ReferenceCount::SetCount(ULONG count)
{
    KvCommon::Synchronize::SingleLock lock(m_lock);
    m_ulCount = count;
}

ULONG ReferenceCount::AddRef()
{
    KvCommon::Synchronize::SingleLock lock(m_lock);
    if (m_ulCount < MaxCount)
        return ++m_ulCount;
    KV_TRACE_ERROR(L"***ReferenceCount::AddRef() - Reference Count was the upper limit.");
    return m_ulCount;
}

ULONG ReferenceCount::Release()
{
    KvCommon::Synchronize::SingleLock lock(m_lock);
    if (m_ulCount > 0)
        return --m_ulCount;
    KV_TRACE_ERROR(L"***ReferenceCount::Release() - Reference Count was the lower limit.");
    return 0;
}
} // namespace Utility
} // namespace SrvFrwk

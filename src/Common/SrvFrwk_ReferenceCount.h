#pragma once
#include "KvComn_CriticalSection.h"

#include <windows.h>

namespace SrvFrwk
{
namespace Utility
{
// A thread-safe count of handed-out objects. Saturates at both ends instead of wrapping.
class ReferenceCount
{
public:
    ReferenceCount();
    virtual ~ReferenceCount() = default;
    ReferenceCount(const ReferenceCount&) = delete;
    ReferenceCount& operator=(const ReferenceCount&) = delete;

    // Both return the count after the call.
    ULONG AddRef();
    ULONG Release();

protected:
    // Lets tests start from a count near a limit.
    void SetCount(ULONG count);

private:
    KvCommon::Synchronize::CriticalSection m_lock;
    ULONG m_ulCount = 0;
};
} // namespace Utility
} // namespace SrvFrwk

#pragma once
#include "KvComn_SyncBase.h"

namespace KvCommon
{
namespace Synchronize
{
// In-process lock; recursive entry by the same thread is allowed.
class CriticalSection : public Base
{
public:
    CriticalSection();
    ~CriticalSection() override;
    DWORD Lock() override;
    DWORD Unlock() override;

private:
    CRITICAL_SECTION m_cs;
};
} // namespace Synchronize
} // namespace KvCommon

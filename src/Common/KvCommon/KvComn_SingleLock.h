#pragma once
#include "KvComn_SyncBase.h"

namespace KvCommon
{
namespace Synchronize
{
// Scope guard: locks in the constructor, unlocks in the destructor (also when an exception passes).
class SingleLock
{
public:
    explicit SingleLock(Base& lock) : m_pLock(&lock) { m_pLock->Lock(); }
    SingleLock(const SingleLock&) = delete;
    SingleLock& operator=(const SingleLock&) = delete;
    virtual ~SingleLock()
    {
        if (m_pLock)
            m_pLock->Unlock();
    }

private:
    Base* m_pLock;
};
} // namespace Synchronize
} // namespace KvCommon

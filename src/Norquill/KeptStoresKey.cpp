#include "KeptStoresKey.h"

#include "EventLogKey.h"
#include "KvComn_CriticalSection.h"

namespace
{
KvCommon::Synchronize::CriticalSection& Lock()
{
    static KvCommon::Synchronize::CriticalSection lock;
    return lock;
}

// Called with the lock held: the first holder opens the key.
KvCommon::Storage::Reg::Writer& SharedKey()
{
    static KvCommon::Storage::Reg::Writer key = EventLogKey::OpenForStores();
    return key;
}

// A holder that cannot be made must not keep the lock from the next event.
KvCommon::Storage::Reg::Writer& LockedKey()
{
    Lock().Lock();
    try
    {
        KvCommon::Storage::Reg::Writer& key = SharedKey();
        key.RetryFailedOpen();
        return key;
    }
    catch (...)
    {
        Lock().Unlock();
        throw;
    }
}
} // namespace

KeptStoresKey::KeptStoresKey() : m_key(LockedKey()) {}

KeptStoresKey::~KeptStoresKey()
{
    Lock().Unlock();
}

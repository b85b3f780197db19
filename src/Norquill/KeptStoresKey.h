#pragma once
#include "KvComn_RegWriter.h"

// The settings key kept open for the values stored with every virus event: an open and a close of the key
// cost as much as its three stores. Opened (created when missing) at first use, and again for the next
// event after a failed open; a store that finds the key deleted meanwhile creates it again. One holder at
// a time across the process's threads; the key is closed when the module unloads.
class KeptStoresKey
{
public:
    KeptStoresKey();
    ~KeptStoresKey();
    KeptStoresKey(const KeptStoresKey&) = delete;
    KeptStoresKey& operator=(const KeptStoresKey&) = delete;

    KvCommon::Storage::Reg::Writer& Key() { return m_key; }

private:
    KvCommon::Storage::Reg::Writer& m_key;
};

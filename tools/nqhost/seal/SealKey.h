#pragma once
// The verification key as the administrator keeps it: a small text file naming the chain and holding the
// key of epoch 0, which never sealed anything and from which every later key follows.
#include "KvCommon/KvComn_Crypto.h"

#include <windows.h>

#include <string>

namespace NqHost
{
struct SealKey
{
    BYTE chain[16] = {};
    KvCommon::Crypto::Digest key{};

    ~SealKey() { SecureZeroMemory(key.data(), key.size()); }
    std::wstring Text() const;
    // false with the reason: the file cannot be read or is no key.
    bool Read(const std::wstring& path, std::wstring& why);
};
} // namespace NqHost

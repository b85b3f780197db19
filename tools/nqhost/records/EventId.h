#pragma once
// The identity of one event: its kind, its day file, where its line starts there and a hash of the
// line's bytes seeded with the machine's name. Nothing that happens to another line moves it, the same
// line gives the same id on every export and follow, and two machines' identical lines differ.
#include "KvCommon/KvComn_Crypto.h"

#include <windows.h>

#include <string>

namespace NqHost
{
namespace EventId
{
// FNV-1a, 64 bits, going on from hash.
inline unsigned long long Hash(unsigned long long hash, const void* bytes, size_t size)
{
    return KvCommon::Crypto::Fnv1a64(hash, bytes, size);
}
// The seed of the line hashes of one machine.
unsigned long long MachineSeed(const std::string& hostName);
// "tsc-20261206-4094-9f3a61c0d2e4b817": kind, day, byte offset of the line, its hash.
std::string Make(const std::wstring& kind, const SYSTEMTIME& day, ULONGLONG offset, unsigned long long hash);
} // namespace EventId
} // namespace NqHost

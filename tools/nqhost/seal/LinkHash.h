#pragma once
// A seal's link for verify: the same SHA-256 as the plug-in's (the system's), computed with the CPU's SHA
// instructions where it has them. Under Wine the system's SHA-256 is portable C, three times what reading
// a day costs; links are unkeyed, so their hashing may move off the system's cryptography, codes never do.
#include "KvCommon/KvComn_Crypto.h"
#include "KvCommon/KvComn_SealFormat.h"

#include <cstddef>
#include <cstdint>

namespace NqHost
{
class LinkHash
{
public:
    // As KvCommon::SealKeeper::Link: prev's 32 bytes, the seal up to its link, and line for a line.
    static bool Of(const BYTE* prev, const KvCommon::SealFormat::LineSeal& seal, const void* line,
                   KvCommon::Crypto::Digest& link);
    // Whether the CPU's instructions are used (the system's SHA-256 otherwise).
    static bool Fast();
    // SHA-256 of the pieces with the CPU's instructions; callable only where Fast().
    static bool Sha256(std::initializer_list<KvCommon::Crypto::Piece> pieces, KvCommon::Crypto::Digest& out);
};
} // namespace NqHost

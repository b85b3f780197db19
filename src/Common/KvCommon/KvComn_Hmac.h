#pragma once
#include "KvComn_Crypto.h"
#include "KvComn_Handle.h"

namespace KvCommon
{
// HMAC-SHA-256 under one key, for many codes: the keyed state is made once and copied for each code.
class Hmac
{
public:
    Hmac() = default;
    Hmac(const Hmac&) = delete;
    Hmac& operator=(const Hmac&) = delete;

    bool SetKey(const Crypto::Digest& key);
    // The code of the pieces one after the other; false on a failure of the system's cryptography.
    bool Code(std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out);

private:
    UniqueCryptHash m_keyed; // never finished: each code hashes on a copy of it
};
} // namespace KvCommon

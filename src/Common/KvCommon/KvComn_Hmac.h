#pragma once
#include "KvComn_Crypto.h"
#include "KvComn_Handle.h"

namespace KvCommon
{
// HMAC-SHA-256 under one key, for many codes: the keyed state is made once where the system can reuse it.
class Hmac
{
public:
    Hmac() = default;
    Hmac(const Hmac&) = delete;
    Hmac& operator=(const Hmac&) = delete;
    ~Hmac() { SecureZeroMemory(m_key.data(), m_key.size()); }

    bool SetKey(const Crypto::Digest& key);
    // The code of the pieces one after the other; false on a failure of the system's cryptography.
    bool Code(std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out);

private:
    bool Feed(BCRYPT_HASH_HANDLE hash, std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out);

    Crypto::Digest m_key{};
    UniqueCryptHash m_reusable; // null where the system makes a hash per code
    bool m_keyed = false;
};
} // namespace KvCommon

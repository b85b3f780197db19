#pragma once
// verify's judgement: a chain's journal and the day files' lines against their seals, with the
// verification key. Problems are tampering or damage; unsealed days are only said.
#include "SealKey.h"

#include "KvCommon/KvComn_Hmac.h"
#include "KvCommon/KvComn_SealFormat.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace NqHost
{
class CSealVerifier
{
public:
    struct Finding
    {
        std::wstring path;
        size_t line; // from 1; one past the last line for what is missing at the end
        std::wstring text;
    };

    CSealVerifier(std::wstring logFolder, const SealKey& key);
    // Checks the journal under the key; false (with its problem) when the chain is not there at all.
    bool ReadJournal();
    // One day file: name is its bare name, dayKey YYYYMMDD.
    void CheckDay(const std::wstring& name, DWORD dayKey, const std::vector<BYTE>& bytes);
    // The days the journal or a seal file knows of whose file is gone other than by the purge or the
    // delete action; only names that wanted accepts.
    void CheckGone(const std::function<bool(const std::wstring& name)>& wanted);
    const std::vector<Finding>& Problems() const { return m_problems; }
    const std::vector<Finding>& Unsealed() const { return m_unsealed; }
    const std::wstring& ChainFolder() const { return m_chainFolder; }

    struct Line
    {
        size_t offset;
        size_t size;
    };

private:
    using Seals = std::vector<KvCommon::SealFormat::LineSeal>;
    KvCommon::Hmac* HmacAt(ULONGLONG epoch);
    // The seal's own code, under its epoch's key.
    bool MacOk(const KvCommon::SealFormat::LineSeal& seal);
    // Seal k's link, checked from the link before it (the day's seed before the first).
    static bool LinkOk(const Seals& seals, size_t k, const KvCommon::Crypto::Digest& seed, const BYTE* bytes);
    bool ReadSeals(const std::wstring& name, const std::wstring& path, size_t lines, size_t size,
                   Seals& seals);
    void MatchLines(const std::wstring& path, const std::vector<BYTE>& bytes, const std::vector<Line>& lines,
                    const Seals& seals, size_t from, const KvCommon::Crypto::Digest& seed);
    // Whether each seal fits the line it was written as, lines from firstLine on: the common case at once.
    std::vector<char> FitsInPlace(const std::vector<BYTE>& bytes, const std::vector<Line>& lines,
                                  const Seals& seals, const std::vector<size_t>& sealed, size_t firstLine,
                                  const KvCommon::Crypto::Digest& seed);
    void Problem(const std::wstring& path, size_t line, const std::wstring& text)
    {
        m_problems.push_back({path, line, text});
    }

    std::wstring m_logFolder;
    std::wstring m_chainFolder;
    SealKey m_key;
    std::map<ULONGLONG, KvCommon::Crypto::Digest> m_keys;         // by epoch
    std::map<ULONGLONG, std::unique_ptr<KvCommon::Hmac>> m_hmacs; // by epoch
    DWORD m_startDay = 0;                                         // YYYYMMDD of the chain's start
    std::map<std::wstring, ULONGLONG> m_reach;                    // sealed lines a checkpoint saw, by day
    std::map<std::wstring, ULONGLONG> m_before;                   // first day's files: bytes before sealing
    std::set<std::wstring> m_removed;                             // by the purge or the delete action
    std::vector<Finding> m_problems;
    std::vector<Finding> m_unsealed;
};
} // namespace NqHost

// CSealVerifier: the chain's journal and each day's seals checked with the keys that follow from the
// verification key, and every line of a day file matched to its seal.
#include "SealVerifier.h"

#include "DayFileCheck.h"
#include "Text.h"

#include "KvCommon/KvComn_Handle.h"
#include "KvCommon/KvComn_SealKeeper.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace NqHost
{
namespace
{
using namespace KvCommon::SealFormat;
using KvCommon::Crypto;

// The lines as written: each ends after its CR LF; the first holds the byte-order mark.
std::vector<size_t> LineEnds(const std::vector<BYTE>& bytes)
{
    std::vector<size_t> ends;
    for (size_t i = 0; i + 3 < bytes.size(); i += 2)
        if (bytes[i] == '\r' && bytes[i + 1] == 0 && bytes[i + 2] == '\n' && bytes[i + 3] == 0)
            ends.push_back(i + 4);
    if (ends.empty() ? !bytes.empty() : ends.back() != bytes.size())
        ends.push_back(bytes.size()); // a last line without its end
    return ends;
}

DWORD DayKeyOf(ULONGLONG ticks)
{
    const FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t{};
    FileTimeToSystemTime(&ft, &t);
    return t.wYear * 10000u + t.wMonth * 100u + t.wDay;
}

std::wstring NameOf(const wchar_t (&name)[kDayNameChars])
{
    return std::wstring(name, wcsnlen(name, kDayNameChars));
}
} // namespace

CSealVerifier::CSealVerifier(std::wstring logFolder, const SealKey& key)
    : m_logFolder(std::move(logFolder)),
      m_chainFolder(KvCommon::SealKeeper::ChainFolder(m_logFolder, key.chain))
{
    std::memcpy(m_key.chain, key.chain, sizeof(key.chain));
    m_key.key = key.key;
    m_keys[0] = key.key;
}

KvCommon::Hmac* CSealVerifier::HmacAt(ULONGLONG epoch)
{
    auto known = m_hmacs.find(epoch);
    if (known != m_hmacs.end())
        return known->second.get();
    // Keys only go forward: from the nearest one known below.
    auto below = --m_keys.upper_bound(epoch);
    Crypto::Digest key = below->second;
    for (ULONGLONG e = below->first; e < epoch; ++e)
        Crypto::Sha256({{key.data(), key.size()}}, key);
    m_keys[epoch] = key;
    std::unique_ptr<KvCommon::Hmac> hmac(new KvCommon::Hmac);
    if (!hmac->SetKey(key))
        return nullptr;
    return m_hmacs.emplace(epoch, std::move(hmac)).first->second.get();
}

bool CSealVerifier::CodeOk(const LineSeal& seal, const BYTE* prev, const BYTE* bytes)
{
    KvCommon::Hmac* hmac = seal.epoch == 0 ? nullptr : HmacAt(seal.epoch);
    Crypto::Digest mac;
    const size_t size = seal.type == kLine ? seal.bytes : 0;
    return hmac && hmac->Code({{prev, 32}, {&seal, kLineSealSigned}, {bytes, size}}, mac) &&
           std::memcmp(mac.data(), seal.mac, mac.size()) == 0;
}

bool CSealVerifier::ReadJournal()
{
    const std::wstring path = m_chainFolder + L"journal";
    std::vector<BYTE> bytes;
    DWORD error = 0;
    if (!CDayFileCheck::ReadBytes(path, bytes, error))
    {
        Problem(path, 1,
                L"the chain's journal is missing: sealing with this key never ran here, or it was removed");
        return false;
    }
    Crypto::Digest prev;
    KvCommon::SealKeeper::JournalSeed(m_key.chain, prev);
    ULONGLONG lastEpoch = 1;
    const size_t count = bytes.size() / sizeof(JournalEntry);
    for (size_t i = 0; i < count; ++i)
    {
        JournalEntry entry;
        std::memcpy(&entry, bytes.data() + i * sizeof(entry), sizeof(entry));
        KvCommon::Hmac* hmac = entry.epoch < lastEpoch ? nullptr : HmacAt(entry.epoch);
        Crypto::Digest mac;
        if (!hmac || !hmac->Code({{prev.data(), prev.size()}, {&entry, kJournalSigned}}, mac) ||
            std::memcmp(mac.data(), entry.mac, mac.size()) != 0 || (i == 0) != (entry.type == kStart))
        {
            Problem(path, i + 1, L"journal damaged: its record fails its seal; what follows is not trusted");
            return true;
        }
        std::memcpy(prev.data(), entry.mac, prev.size());
        lastEpoch = entry.epoch;
        const std::wstring name = NameOf(entry.name);
        if (entry.type == kStart)
            m_startDay = DayKeyOf(entry.end);
        else if (entry.type == kCheckpoint)
            m_reach[name] = std::max(m_reach[name], entry.count);
        else if (entry.type == kBefore)
            m_before[name] = entry.end;
        else if (entry.type == kRemoved)
        {
            m_reach.erase(name); // a new file of that day starts a new count
            m_removed.insert(name);
        }
    }
    if (bytes.size() % sizeof(JournalEntry) != 0)
        Problem(path, count + 1, L"journal damaged: a torn record at its end");
    return true;
}

bool CSealVerifier::ReadSeals(const std::wstring& name, const std::wstring& path, size_t lines, size_t size,
                              Seals& seals)
{
    std::vector<BYTE> bytes;
    DWORD error = 0;
    const std::wstring upper = KvCommon::SealKeeper::Upper(name);
    if (!CDayFileCheck::ReadBytes(m_chainFolder + upper + L".seal", bytes, error))
    {
        const DWORD dayKey = static_cast<DWORD>(_wtoi(name.c_str()));
        auto before = m_before.find(upper);
        const bool older = dayKey < m_startDay ||
                           (dayKey == m_startDay && before != m_before.end() && before->second == size);
        if (m_reach.count(upper) || m_removed.count(upper) || !older)
            Problem(path, 1, L"seal file missing");
        else
            m_unsealed.push_back({path, 0, L"unsealed: written before sealing began"});
        return false;
    }
    seals.resize(bytes.size() / sizeof(LineSeal));
    if (!seals.empty())
        std::memcpy(seals.data(), bytes.data(), seals.size() * sizeof(LineSeal));
    if (bytes.size() % sizeof(LineSeal) != 0)
        Problem(path, lines + 1, L"seal file damaged: a torn record at its end");
    auto reach = m_reach.find(upper);
    if (reach != m_reach.end() && reach->second > seals.size())
        Problem(path, lines + 1,
                Text::Format(L"end cut after its epoch passed: %llu sealed lines and their seals gone",
                             static_cast<unsigned long long>(reach->second - seals.size())));
    return true;
}

void CSealVerifier::CheckDay(const std::wstring& name, DWORD, const std::vector<BYTE>& bytes)
{
    const std::wstring path = m_logFolder + name;
    const std::vector<size_t> ends = LineEnds(bytes);
    std::vector<Line> lines;
    for (size_t i = 0; i < ends.size(); ++i)
        lines.push_back({i ? ends[i - 1] : 0, ends[i] - (i ? ends[i - 1] : 0)});
    Seals seals;
    if (!ReadSeals(name, path, lines.size(), bytes.size(), seals))
        return;
    Crypto::Digest seed;
    KvCommon::SealKeeper::DaySeed(m_key.chain, name, seed);
    // A seal of a line at the file's start after others: the day's file went and began again.
    size_t from = 0;
    for (size_t k = 1; k < seals.size(); ++k)
        if (seals[k].type == kLine && seals[k].offset == 0)
            from = k;
    if (from > 0)
        Problem(
            path, 1,
            Text::Format(L"day file removed other than by the purge or the delete action and begun again: "
                         L"%llu sealed records of the earlier file gone",
                         static_cast<unsigned long long>(from)));
    MatchLines(path, bytes, lines, seals, from, seed);
}

void CSealVerifier::MatchLines(const std::wstring& path, const std::vector<BYTE>& bytes,
                               const std::vector<Line>& lines, const Seals& seals, size_t from,
                               const Crypto::Digest& seed)
{
    auto prevOf = [&](size_t k) { return k == 0 ? seed.data() : seals[k - 1].mac; };
    std::vector<size_t> sealed;                  // the line seals of the current file, by record
    std::vector<std::pair<size_t, size_t>> gaps; // byte ranges a later writer found without a seal
    for (size_t k = from; k < seals.size(); ++k)
    {
        if (seals[k].type == kLine)
            sealed.push_back(k);
        else if (seals[k].type == kGap && CodeOk(seals[k], prevOf(k), nullptr))
            gaps.push_back({static_cast<size_t>(seals[k].offset),
                            static_cast<size_t>(seals[k].offset + seals[k].bytes)});
        else
            Problem(path, lines.size() + 1,
                    Text::Format(L"seal file damaged: record %llu is no seal",
                                 static_cast<unsigned long long>(k + 1)));
    }
    // Lines before the first seal were written before this chain began.
    size_t j = 0;
    const size_t first = sealed.empty() ? bytes.size() : static_cast<size_t>(seals[sealed[0]].offset);
    while (j < lines.size() && lines[j].offset + lines[j].size <= first && !sealed.empty())
        ++j;
    if (j > 0)
        m_unsealed.push_back({path, j,
                              Text::Format(L"unsealed: lines 1 to %llu were written before sealing began",
                                           static_cast<unsigned long long>(j))});
    const size_t n = lines.size(), m = sealed.size();
    const size_t inPlace = j;
    const std::vector<char> fits = FitsInPlace(bytes, lines, seals, sealed, inPlace, seed);
    auto ok = [&](size_t i, size_t j)
    {
        if (j == inPlace + i && i < fits.size())
            return fits[i] != 0;
        const LineSeal& seal = seals[sealed[i]];
        return seal.bytes == lines[j].size && CodeOk(seal, prevOf(sealed[i]), bytes.data() + lines[j].offset);
    };
    auto unsealed = [&](size_t line)
    {
        for (const auto& range : gaps)
            if (lines[line].offset >= range.first && lines[line].offset < range.second)
                return L"not sealed: its writer stopped between the line and its seal";
        return line + 1 == n
                   ? L"not sealed: the last line (its writer stopped before its seal, or it was added)"
                   : L"added without a seal";
    };
    constexpr size_t kWindow = 8; // how far a removed or added run is looked for
    size_t i = 0;
    while (i < m && j < n)
    {
        if (ok(i, j))
        {
            ++i, ++j;
            continue;
        }
        if (i + 1 < m && j + 1 < n && ok(i, j + 1) && ok(i + 1, j))
        {
            Problem(path, j + 1,
                    Text::Format(L"moved: sealed as line %llu", static_cast<unsigned long long>(j + 2)));
            Problem(path, j + 2,
                    Text::Format(L"moved: sealed as line %llu", static_cast<unsigned long long>(j + 1)));
            i += 2, j += 2;
            continue;
        }
        size_t skip = 1;
        bool added = false, removed = false;
        for (; skip <= kWindow && !added && !removed; ++skip)
        {
            added = j + skip < n && ok(i, j + skip);
            removed = !added && i + skip < m && ok(i + skip, j);
        }
        --skip;
        if (added)
            for (size_t k = 0; k < skip; ++k, ++j)
                Problem(path, j + 1, unsealed(j));
        else if (removed)
        {
            Problem(path, j + 1,
                    Text::Format(L"%llu sealed lines removed before this line",
                                 static_cast<unsigned long long>(skip)));
            i += skip;
        }
        else
        {
            Problem(path, j + 1, L"changed");
            ++i, ++j;
        }
    }
    for (; j < n; ++j)
        Problem(path, j + 1, unsealed(j));
    if (i < m)
        Problem(
            path, n + 1,
            Text::Format(L"%llu sealed lines removed from the end", static_cast<unsigned long long>(m - i)));
}

std::vector<char> CSealVerifier::FitsInPlace(const std::vector<BYTE>& bytes, const std::vector<Line>& lines,
                                             const Seals& seals, const std::vector<size_t>& sealed,
                                             size_t firstLine, const Crypto::Digest& seed)
{
    const size_t count = std::min(sealed.size(), lines.size() > firstLine ? lines.size() - firstLine : 0);
    std::vector<char> fits(count, 0);
    std::map<ULONGLONG, Crypto::Digest> keys; // made here, read by every thread
    for (size_t k : sealed)
        if (seals[k].epoch != 0 && !keys.count(seals[k].epoch) && HmacAt(seals[k].epoch))
            keys[seals[k].epoch] = m_keys[seals[k].epoch];
    auto work = [&](size_t from, size_t to)
    {
        std::map<ULONGLONG, std::unique_ptr<KvCommon::Hmac>> hmacs; // a keyed state is one thread's
        for (size_t i = from; i < to; ++i)
        {
            const LineSeal& seal = seals[sealed[i]];
            const Line& line = lines[firstLine + i];
            auto key = keys.find(seal.epoch);
            if (seal.bytes != line.size || key == keys.end())
                continue;
            std::unique_ptr<KvCommon::Hmac>& hmac = hmacs[seal.epoch];
            if (!hmac && !(hmac.reset(new KvCommon::Hmac), hmac->SetKey(key->second)))
                continue;
            const BYTE* prev = sealed[i] == 0 ? seed.data() : seals[sealed[i] - 1].mac;
            Crypto::Digest mac;
            fits[i] =
                hmac->Code({{prev, 32}, {&seal, kLineSealSigned}, {bytes.data() + line.offset, line.size}},
                           mac) &&
                std::memcmp(mac.data(), seal.mac, mac.size()) == 0;
        }
    };
    // A day of many lines is checked on every core; the codes are independent of each other.
    const size_t threads =
        count < 4096 ? 1 : std::min<size_t>(8, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    const size_t share = (count + threads - 1) / threads;
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work, std::min(count, t * share), std::min(count, (t + 1) * share));
    work(0, std::min(count, share));
    for (std::thread& helper : helpers)
        helper.join();
    return fits;
}

void CSealVerifier::CheckGone(const std::function<bool(const std::wstring& name)>& wanted)
{
    std::set<std::wstring> names;
    for (const auto& reach : m_reach)
        names.insert(reach.first);
    WIN32_FIND_DATAW data;
    KvCommon::UniqueFindHandle find(FindFirstFileW((m_chainFolder + L"*.seal").c_str(), &data));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &data) != FALSE)
    {
        const std::wstring file = data.cFileName;
        names.insert(KvCommon::SealKeeper::Upper(file.substr(0, file.size() - 5)));
    }
    for (const std::wstring& name : names)
        if (wanted(name) && GetFileAttributesW((m_logFolder + name).c_str()) == INVALID_FILE_ATTRIBUTES)
            Problem(m_logFolder + name, 1, L"day removed other than by the purge or the delete action");
}
} // namespace NqHost

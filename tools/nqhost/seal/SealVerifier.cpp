// CSealVerifier: the chain's journal and each day's seals checked with the keys that follow from the
// verification key, and every line of a day file matched to its seal.
#include "SealVerifier.h"

#include "DayFileCheck.h"
#include "LinkHash.h"
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
std::vector<CSealVerifier::Line> LinesOf(const std::vector<BYTE>& bytes)
{
    std::vector<CSealVerifier::Line> lines;
    const BYTE* data = bytes.data();
    const size_t size = bytes.size();
    size_t start = 0;
    for (size_t at = 2; at + 1 < size; ++at)
    {
        const BYTE* lf = static_cast<const BYTE*>(std::memchr(data + at, '\n', size - 1 - at));
        if (!lf)
            break;
        at = static_cast<size_t>(lf - data);
        if (at % 2 == 0 && data[at + 1] == 0 && data[at - 2] == '\r' && data[at - 1] == 0)
        {
            lines.push_back({start, at + 2 - start});
            start = at + 2;
        }
    }
    if (start < size)
        lines.push_back({start, size - start}); // a last line without its end
    return lines;
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

bool CSealVerifier::MacOk(const LineSeal& seal)
{
    KvCommon::Hmac* hmac = seal.epoch == 0 ? nullptr : HmacAt(seal.epoch);
    Crypto::Digest mac;
    return hmac && hmac->Code({{seal.link, sizeof(seal.link)}}, mac) &&
           std::memcmp(mac.data(), seal.mac, mac.size()) == 0;
}

bool CSealVerifier::LinkOk(const Seals& seals, size_t k, const Crypto::Digest& seed, const BYTE* bytes)
{
    Crypto::Digest link;
    const BYTE* prev = k == 0 ? seed.data() : seals[k - 1].link;
    return LinkHash::Of(prev, seals[k], bytes, link) &&
           std::memcmp(link.data(), seals[k].link, link.size()) == 0;
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
    size_t read = 0;
    DWORD error = 0;
    const std::wstring upper = KvCommon::SealKeeper::Upper(name);
    auto place = [&](size_t size)
    {
        seals.resize((size + sizeof(LineSeal) - 1) / sizeof(LineSeal));
        return static_cast<void*>(seals.data());
    };
    if (!CDayFileCheck::ReadWhole(m_chainFolder + upper + L".seal", place, read, error))
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
    seals.resize(read / sizeof(LineSeal));
    if (read % sizeof(LineSeal) != 0)
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
    const std::vector<Line> lines = LinesOf(bytes);
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
    std::vector<size_t> sealed;                  // the line seals of the current file, by record
    std::vector<std::pair<size_t, size_t>> gaps; // byte ranges a later writer found without a seal
    for (size_t k = from; k < seals.size(); ++k)
    {
        if (seals[k].type == kLine)
            sealed.push_back(k);
        else if (seals[k].type == kGap && LinkOk(seals, k, seed, nullptr) && MacOk(seals[k]))
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
        return seal.bytes == lines[j].size &&
               LinkOk(seals, sealed[i], seed, bytes.data() + lines[j].offset) && MacOk(seal);
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
    auto links = [&](size_t from, size_t to)
    {
        for (size_t i = from; i < to; ++i)
        {
            const Line& line = lines[firstLine + i];
            fits[i] = seals[sealed[i]].bytes == line.size &&
                      LinkOk(seals, sealed[i], seed, bytes.data() + line.offset);
        }
    };
    // A day of many lines is hashed on every core; each link is checked against the stored one before it.
    const size_t threads =
        count < 4096 ? 1 : std::min<size_t>(8, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    const size_t share = (count + threads - 1) / threads;
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(links, std::min(count, t * share), std::min(count, (t + 1) * share));
    links(0, std::min(count, share));
    for (std::thread& helper : helpers)
        helper.join();
    // The links of a run of adjacent seals chain to its last, so one code proves the run. A run ends with
    // its epoch: a later key must never vouch for lines sealed before it.
    auto sameRun = [&](size_t k) {
        return fits[k] && sealed[k] == sealed[k - 1] + 1 &&
               seals[sealed[k]].epoch == seals[sealed[k - 1]].epoch;
    };
    for (size_t i = 0; i < count; ++i)
    {
        if (!fits[i])
            continue;
        size_t end = i + 1;
        while (end < count && sameRun(end))
            ++end;
        if (!MacOk(seals[sealed[end - 1]]))
            for (size_t k = i; k < end; ++k)
                fits[k] = MacOk(seals[sealed[k]]);
        i = end - 1;
    }
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

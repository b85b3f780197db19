#include "KvComn_SealKeeper.h"

#include <cstddef>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace KvCommon
{
namespace
{
using namespace SealFormat;

OVERLAPPED At(ULONGLONG offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

bool ReadAt(HANDLE file, ULONGLONG offset, void* data, DWORD size, DWORD& error)
{
    OVERLAPPED at = At(offset);
    DWORD got = 0;
    if (::ReadFile(file, data, size, &got, &at) && got == size)
        return true;
    error = got == size ? ::GetLastError() : ERROR_HANDLE_EOF;
    return false;
}

bool WriteAt(HANDLE file, ULONGLONG offset, const void* data, DWORD size, DWORD& error)
{
    OVERLAPPED at = At(offset);
    DWORD put = 0;
    if (::WriteFile(file, data, size, &put, &at) && put == size)
        return true;
    error = put == size ? ::GetLastError() : ERROR_WRITE_FAULT;
    return false;
}

bool SizeOf(HANDLE file, ULONGLONG& size, DWORD& error)
{
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(file, &value))
    {
        error = ::GetLastError();
        return false;
    }
    size = static_cast<ULONGLONG>(value.QuadPart);
    return true;
}

// Shared with every other sealing process; never inherited.
UniqueFileHandle OpenShared(const std::wstring& path, DWORD disposition, DWORD& error)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        error = ::GetLastError();
    return file;
}

// Appends whole records after the tail just read, over a torn one a crash may have left: the size that read
// took is the append's place, with no second look.
bool AppendAfter(HANDLE file, ULONGLONG tailCount, size_t recordSize, const void* data, DWORD size,
                 DWORD& error)
{
    return WriteAt(file, tailCount * recordSize, data, size, error);
}

void CopyName(wchar_t (&to)[kDayNameChars], const std::wstring& name)
{
    std::memset(to, 0, sizeof(to));
    wcsncpy_s(to, name.c_str(), _TRUNCATE);
}

// One name per installation folder, so that sandboxes beside each other never wait for each other.
std::wstring MutexName(const std::wstring& folder)
{
    const std::wstring upper = SealKeeper::Upper(folder);
    const ULONGLONG hash = Crypto::Fnv1a64(Crypto::kFnvStart, upper.data(), upper.size() * sizeof(wchar_t));
    wchar_t text[40];
    _snwprintf_s(text, 40, _TRUNCATE, L"Local\\NQSEAL_%016llX", hash);
    return text;
}
} // namespace

SealKeeper::SealKeeper(std::wstring logFolder) : m_logFolder(std::move(logFolder)) {}

SealKeeper::~SealKeeper()
{
    SecureZeroMemory(&m_state, sizeof(m_state));
}

std::wstring SealKeeper::ChainText(const BYTE (&chain)[16])
{
    std::wstring text;
    static const wchar_t kHex[] = L"0123456789abcdef";
    for (BYTE b : chain)
        text.append(1, kHex[b >> 4]).append(1, kHex[b & 15]);
    return text;
}

std::wstring SealKeeper::ChainFolder(const std::wstring& logFolder, const BYTE (&chain)[16])
{
    return logFolder + L"Seal\\" + ChainText(chain) + L"\\";
}

std::wstring SealKeeper::Upper(const std::wstring& name)
{
    std::wstring upper(name);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

ULONGLONG SealKeeper::Ticks(const SYSTEMTIME& localTime)
{
    FILETIME ft{};
    ::SystemTimeToFileTime(&localTime, &ft);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

ULONGLONG SealKeeper::EpochAt(const SealFormat::State& state, ULONGLONG ticks)
{
    const ULONGLONG length = (state.epochSeconds ? state.epochSeconds : 1) * kTicksPerSecond;
    const ULONGLONG epoch = ticks > state.start ? 1 + (ticks - state.start) / length : 1;
    // A clock put back (or a summer hour ending) never brings a destroyed key back.
    return epoch > state.epoch ? epoch : state.epoch;
}

bool SealKeeper::DaySeed(const BYTE (&chain)[16], const std::wstring& dayName, Crypto::Digest& seed)
{
    const std::wstring name = Upper(dayName);
    return Crypto::Sha256({{chain, sizeof(chain)}, {name.data(), name.size() * sizeof(wchar_t)}}, seed);
}

bool SealKeeper::JournalSeed(const BYTE (&chain)[16], Crypto::Digest& seed)
{
    return Crypto::Sha256({{"journal", 7}, {chain, sizeof(chain)}}, seed);
}

bool SealKeeper::Link(const BYTE* prev, const LineSeal& seal, const void* line, Crypto::Digest& link, Sha sha)
{
    return sha({{prev, link.size()}, {&seal, kLineSealSigned}, {line, seal.type == kLine ? seal.bytes : 0u}},
               link);
}

bool SealKeeper::IsOn() const
{
    return ::GetFileAttributesW(StatePath(m_logFolder).c_str()) != INVALID_FILE_ATTRIBUTES;
}

SealKeeper::Lock::Lock(SealKeeper& keeper) : m_keeper(keeper)
{
    if (!keeper.m_mutex)
        keeper.m_mutex.reset(::CreateMutexW(nullptr, FALSE, MutexName(keeper.m_logFolder).c_str()));
    // An abandoned mutex is ours: its holder died, and every record it wrote is whole or cut off.
    const DWORD wait = keeper.m_mutex ? ::WaitForSingleObject(keeper.m_mutex.get(), INFINITE) : WAIT_FAILED;
    m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

SealKeeper::Lock::~Lock()
{
    if (m_held)
        ::ReleaseMutex(m_keeper.m_mutex.get());
}

bool SealKeeper::Open(DWORD& error)
{
    if (!m_stateFile)
        m_stateFile = OpenShared(StatePath(m_logFolder), OPEN_EXISTING, error);
    return m_stateFile.valid();
}

void SealKeeper::Forget()
{
    m_journal.reset();
    m_sealFiles.clear();
    m_hmacEpoch = 0;
    std::memcpy(m_chain, m_state.chain, sizeof(m_chain));
}

bool SealKeeper::Load(ULONGLONG now, DWORD& error)
{
    if (!Open(error) || !ReadAt(m_stateFile.get(), 0, &m_state, sizeof(m_state), error))
        return false;
    if (std::memcmp(m_state.magic, kStateMagic, sizeof(kStateMagic)) != 0 || m_state.epoch == 0 ||
        m_state.touchedCount > kTouchedDays)
    {
        error = ERROR_FILE_CORRUPT;
        return false;
    }
    if (std::memcmp(m_chain, m_state.chain, sizeof(m_chain)) != 0)
        Forget(); // seal init started a new chain
    const ULONGLONG epoch = EpochAt(m_state, now);
    return epoch == m_state.epoch || Advance(epoch, error);
}

bool SealKeeper::SaveState(DWORD& error)
{
    return WriteAt(m_stateFile.get(), 0, &m_state, sizeof(m_state), error);
}

bool SealKeeper::Keyed(DWORD& error)
{
    if (m_hmacEpoch == m_state.epoch)
        return true;
    Crypto::Digest key;
    std::memcpy(key.data(), m_state.key, key.size());
    const bool keyed = m_hmac.SetKey(key);
    SecureZeroMemory(key.data(), key.size());
    m_hmacEpoch = keyed ? m_state.epoch : 0;
    if (!keyed)
        error = ERROR_INVALID_FUNCTION;
    return keyed;
}

bool SealKeeper::Advance(ULONGLONG epoch, DWORD& error)
{
    // The checkpoint goes out under the ending epoch's key, so the days' ends it names are fixed for good.
    for (ULONG i = 0; i < m_state.touchedCount; ++i)
    {
        const std::wstring name(m_state.touched[i], wcsnlen(m_state.touched[i], kDayNameChars));
        HANDLE file = SealFile(name, false, error);
        Tail tail;
        if (file && !ReadTail(file, sizeof(LineSeal), offsetof(LineSeal, link), tail, error))
            return false;
        if (file && !Journal(kCheckpoint, name, tail.count, tail.end, error))
            return false;
    }
    Crypto::Digest key;
    std::memcpy(key.data(), m_state.key, key.size());
    for (ULONGLONG e = m_state.epoch; e < epoch; ++e)
        if (!Crypto::Sha256({{key.data(), key.size()}}, key))
        {
            error = ERROR_INVALID_FUNCTION;
            return false;
        }
    std::memcpy(m_state.key, key.data(), key.size());
    SecureZeroMemory(key.data(), key.size());
    m_state.epoch = epoch;
    m_state.touchedCount = 0;
    std::memset(m_state.touched, 0, sizeof(m_state.touched));
    m_hmacEpoch = 0;
    return SaveState(error);
}

HANDLE SealKeeper::SealFile(const std::wstring& dayName, bool create, DWORD& error)
{
    const std::wstring key = Upper(dayName);
    auto found = m_sealFiles.find(key);
    if (found != m_sealFiles.end())
        return found->second.get();
    DWORD openError = 0;
    const std::wstring folder = ChainFolder(m_logFolder, m_chain);
    UniqueFileHandle file =
        OpenShared(folder + key + L".seal", create ? OPEN_ALWAYS : OPEN_EXISTING, openError);
    if (!file)
    {
        if (create)
            error = openError;
        return nullptr;
    }
    // A process keeps few days open: today's of each kind, and yesterday's around midnight.
    if (m_sealFiles.size() >= 2 * kTouchedDays)
        m_sealFiles.clear();
    return m_sealFiles.emplace(key, std::move(file)).first->second.get();
}

bool SealKeeper::ReadTail(HANDLE file, size_t recordSize, size_t chainAt, Tail& tail, DWORD& error)
{
    ULONGLONG size = 0;
    if (!SizeOf(file, size, error))
        return false;
    tail.count = size / recordSize;
    if (tail.count == 0)
        return true;
    std::vector<BYTE> last(recordSize);
    if (!ReadAt(file, (tail.count - 1) * recordSize, last.data(), static_cast<DWORD>(recordSize), error))
        return false;
    std::memcpy(tail.chain.data(), last.data() + chainAt, tail.chain.size());
    if (recordSize == sizeof(LineSeal))
    {
        const LineSeal* seal = reinterpret_cast<const LineSeal*>(last.data());
        tail.end = seal->offset + seal->bytes;
    }
    return true;
}

void SealKeeper::Touch(const std::wstring& dayName, bool& changed)
{
    changed = false;
    for (ULONG i = 0; i < m_state.touchedCount; ++i)
        if (_wcsicmp(m_state.touched[i], dayName.c_str()) == 0)
            return;
    // A full list leaves the day out of this checkpoint only; the next epoch names it again.
    if (m_state.touchedCount == kTouchedDays)
        return;
    CopyName(m_state.touched[m_state.touchedCount++], Upper(dayName));
    changed = true;
}

bool SealKeeper::SealLine(const std::wstring& dayName, ULONGLONG offset, const void* bytes, size_t size,
                          bool newDay, DWORD& error)
{
    if (newDay) // a day file that went (purged, deleted) has a new seal file too
        m_sealFiles.erase(Upper(dayName));
    HANDLE file = SealFile(dayName, true, error);
    Tail tail;
    if (!file || !ReadTail(file, sizeof(LineSeal), offsetof(LineSeal, link), tail, error) || !Keyed(error))
        return false;
    if (tail.count == 0 && !DaySeed(m_chain, dayName, tail.chain))
    {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    LineSeal seals[2] = {};
    size_t count = 0;
    // A writer that died between its line and its seal left bytes no seal covers: said so, then sealed on.
    if (tail.count > 0 && tail.end < offset)
        seals[count++] = {kGap, static_cast<ULONG>(offset - tail.end), tail.end, m_state.epoch, {}, {}};
    seals[count++] = {kLine, static_cast<ULONG>(size), offset, m_state.epoch, {}, {}};
    for (size_t i = 0; i < count; ++i)
    {
        Crypto::Digest link, mac;
        if (!Link(tail.chain.data(), seals[i], bytes, link) ||
            !m_hmac.Code({{link.data(), link.size()}}, mac))
        {
            error = ERROR_INVALID_FUNCTION;
            return false;
        }
        std::memcpy(seals[i].link, link.data(), link.size());
        std::memcpy(seals[i].mac, mac.data(), mac.size());
        tail.chain = link;
    }
    if (!AppendAfter(file, tail.count, sizeof(LineSeal), seals, static_cast<DWORD>(count * sizeof(LineSeal)),
                     error))
        return false;
    bool changed = false;
    Touch(dayName, changed);
    return !changed || SaveState(error);
}

bool SealKeeper::Journal(ULONG type, const std::wstring& name, ULONGLONG count, ULONGLONG end, DWORD& error)
{
    if (!m_journal)
        m_journal = OpenShared(ChainFolder(m_logFolder, m_chain) + L"journal", OPEN_ALWAYS, error);
    Tail tail;
    if (!m_journal ||
        !ReadTail(m_journal.get(), sizeof(JournalEntry), offsetof(JournalEntry, mac), tail, error) ||
        !Keyed(error))
        return false;
    if (tail.count == 0 && !JournalSeed(m_chain, tail.chain))
    {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    JournalEntry entry{type, 0, m_state.epoch, {}, count, end, {}};
    CopyName(entry.name, name);
    Crypto::Digest mac;
    if (!m_hmac.Code({{tail.chain.data(), tail.chain.size()}, {&entry, kJournalSigned}}, mac))
    {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    std::memcpy(entry.mac, mac.data(), mac.size());
    return AppendAfter(m_journal.get(), tail.count, sizeof(JournalEntry), &entry, sizeof(entry), error);
}

bool SealKeeper::RecordRemoval(const std::wstring& dayName, DWORD& error)
{
    HANDLE file = SealFile(dayName, false, error);
    if (!file)
        return true; // a day from before sealing
    Tail tail;
    if (!ReadTail(file, sizeof(LineSeal), offsetof(LineSeal, link), tail, error) ||
        !Journal(kRemoved, Upper(dayName), tail.count, tail.end, error))
        return false;
    m_sealFiles.erase(Upper(dayName));
    // Moved aside first: a writer's new day must find the name free, not a file whose deletion waits.
    const std::wstring path = ChainFolder(m_logFolder, m_chain) + Upper(dayName) + L".seal";
    wchar_t suffix[40];
    _snwprintf_s(suffix, 40, _TRUNCATE, L".%lx-%llx.deleted", ::GetCurrentProcessId(), tail.count);
    const std::wstring doomed = path + suffix;
    if (!::MoveFileExW(path.c_str(), doomed.c_str(), MOVEFILE_REPLACE_EXISTING) ||
        !::DeleteFileW(doomed.c_str()))
    {
        error = ::GetLastError();
        return false;
    }
    return true;
}

bool SealKeeper::Start(ULONG epochSeconds, ULONGLONG now, Crypto::Digest& verifyKey, DWORD& error)
{
    BYTE chain[16];
    if (!Crypto::Random(chain, sizeof(chain)) || !Crypto::Random(verifyKey.data(), verifyKey.size()))
    {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    std::wstring previous;
    if (IsOn()) // the chain that ends says so under its own key
    {
        if (!Load(now, error) ||
            !Journal(kRestarted, ChainText(chain).substr(0, kDayNameChars - 1), 0, 0, error))
            return false;
        previous = ChainText(m_chain).substr(0, kDayNameChars - 1);
    }
    ::CreateDirectoryW((m_logFolder + L"Seal").c_str(), nullptr);
    if (!::CreateDirectoryW(ChainFolder(m_logFolder, chain).c_str(), nullptr))
    {
        error = ::GetLastError();
        return false;
    }
    SealFormat::State state{};
    std::memcpy(state.magic, kStateMagic, sizeof(kStateMagic));
    std::memcpy(state.chain, chain, sizeof(chain));
    state.start = now;
    state.epoch = 1;
    state.epochSeconds = epochSeconds;
    Crypto::Digest key;
    if (!Crypto::Sha256({{verifyKey.data(), verifyKey.size()}}, key))
    {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    std::memcpy(state.key, key.data(), key.size());
    SecureZeroMemory(key.data(), key.size());
    m_state = state;
    SecureZeroMemory(&state, sizeof(state));
    Forget();
    if (!m_stateFile)
        m_stateFile = OpenShared(StatePath(m_logFolder), OPEN_ALWAYS, error);
    return m_stateFile && SaveState(error) && ::SetEndOfFile(m_stateFile.get()) &&
           Journal(kStart, previous, epochSeconds, now, error) && RecordBefore(now, error);
}

bool SealKeeper::RecordBefore(ULONGLONG now, DWORD& error)
{
    // Today's days so far: what they hold is unsealed, and anything beyond it would have a seal.
    const FILETIME ft{static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
    SYSTEMTIME today{};
    ::FileTimeToSystemTime(&ft, &today);
    wchar_t pattern[16];
    _snwprintf_s(pattern, 16, _TRUNCATE, L"%04d%02d%02d.*", today.wYear, today.wMonth, today.wDay);
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW((m_logFolder + pattern).c_str(), &data));
    for (bool more = find.valid(); more; more = ::FindNextFileW(find.get(), &data) != FALSE)
    {
        const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcslen(data.cFileName) < kDayNameChars &&
            !Journal(kBefore, Upper(data.cFileName), 0, size, error))
            return false;
    }
    return true;
}
} // namespace KvCommon

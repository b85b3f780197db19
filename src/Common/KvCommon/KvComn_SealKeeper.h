#pragma once
// The sealing of one installation's day files, shared by every process that stores or purges: a named
// mutex orders them, the state file holds the one evolving key, and each process keeps its own handles
// on the seal files it wrote to. Every operation but IsOn and Start must run under a Lock.
#include "KvComn_Crypto.h"
#include "KvComn_Handle.h"
#include "KvComn_Hmac.h"
#include "KvComn_SealFormat.h"

#include <map>
#include <string>

namespace KvCommon
{
class SealKeeper
{
public:
    // logFolder ends with "\".
    explicit SealKeeper(std::wstring logFolder);
    SealKeeper(const SealKeeper&) = delete;
    SealKeeper& operator=(const SealKeeper&) = delete;
    ~SealKeeper();

    const std::wstring& LogFolder() const { return m_logFolder; }
    static std::wstring StatePath(const std::wstring& logFolder) { return logFolder + L"Seal\\state"; }
    static std::wstring ChainFolder(const std::wstring& logFolder, const BYTE (&chain)[16]);
    static std::wstring ChainText(const BYTE (&chain)[16]);
    // A moment (local time, 100 ns since 1601) as the state counts it.
    static ULONGLONG Ticks(const SYSTEMTIME& localTime);
    // The epoch a moment falls in; never before the state's own.
    static ULONGLONG EpochAt(const SealFormat::State& state, ULONGLONG ticks);

    // Where the codes of a day's seal file and of the journal start: the chain's id, and the day's name.
    static bool DaySeed(const BYTE (&chain)[16], const std::wstring& dayName, Crypto::Digest& seed);
    static bool JournalSeed(const BYTE (&chain)[16], Crypto::Digest& seed);
    // A seal's link from the link before it; line holds seal.bytes bytes for a line, nothing for a gap.
    // sha: the SHA-256 that hashes it, the system's unless a verifier brings its own.
    using Sha = bool (*)(std::initializer_list<Crypto::Piece> pieces, Crypto::Digest& out);
    static bool Link(const BYTE* prev, const SealFormat::LineSeal& seal, const void* line,
                     Crypto::Digest& link, Sha sha = &Crypto::Sha256);
    static std::wstring Upper(const std::wstring& name);

    // Sealing has been set up here (cheap: one attribute query).
    bool IsOn() const;

    class Lock
    {
    public:
        explicit Lock(SealKeeper& keeper);
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        ~Lock();
        bool Held() const { return m_held; }

    private:
        SealKeeper& m_keeper;
        bool m_held = false;
    };

    // Reads the state and, when its epoch has passed, checkpoints the day files sealed in it and evolves
    // the key to the epoch of now, destroying the old one. false with the Win32 code.
    bool Load(ULONGLONG now, DWORD& error);
    const SealFormat::State& State() const { return m_state; }
    // Seals size bytes that the caller, still holding the day file, wrote at offset of day file dayName
    // (a bare name). newDay: the day file was empty before them.
    bool SealLine(const std::wstring& dayName, ULONGLONG offset, const void* bytes, size_t size, bool newDay,
                  DWORD& error);
    // Records in the journal that the day went with its seals, and removes its seal file.
    bool RecordRemoval(const std::wstring& dayName, DWORD& error);
    // A new chain from now; the verification key comes back. Ends the chain before it with a record.
    bool Start(ULONG epochSeconds, ULONGLONG now, Crypto::Digest& verifyKey, DWORD& error);

private:
    struct Tail
    {
        ULONGLONG count = 0;
        ULONGLONG end = 0;      // where the last sealed bytes end
        Crypto::Digest chain{}; // what the next record goes on from: the last link, or journal code
    };
    bool Open(DWORD& error);
    bool SaveState(DWORD& error);
    bool Advance(ULONGLONG epoch, DWORD& error);
    bool RecordBefore(ULONGLONG now, DWORD& error);
    bool Journal(ULONG type, const std::wstring& name, ULONGLONG count, ULONGLONG end, DWORD& error);
    HANDLE SealFile(const std::wstring& dayName, bool create, DWORD& error);
    bool ReadTail(HANDLE file, size_t recordSize, size_t chainAt, Tail& tail, DWORD& error);
    bool Keyed(DWORD& error);
    void Touch(const std::wstring& dayName, bool& changed);
    void Forget();

    std::wstring m_logFolder;
    UniqueHandle m_mutex;
    UniqueFileHandle m_stateFile;
    UniqueFileHandle m_journal;
    std::map<std::wstring, UniqueFileHandle> m_sealFiles; // by upper-case day name, of m_chain
    BYTE m_chain[16] = {};
    SealFormat::State m_state{};
    Hmac m_hmac;
    ULONGLONG m_hmacEpoch = 0; // 0: no key set
};
} // namespace KvCommon

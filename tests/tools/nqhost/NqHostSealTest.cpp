// Sealed day files through nqhost and the real plug-in: tampering of every sort named with its line, an
// untouched, purged or concurrently written installation verified clean.
#include "NqHostTest.h"

#include "LinkHash.h"

#include "KvCommon/KvComn_Hmac.h"
#include "KvCommon/KvComn_SealFormat.h"
#include "KvCommon/KvComn_SealKeeper.h"

#include <algorithm>
#include <cstring>
#include <functional>

using namespace NqHostTest;

namespace
{
class NqHostSeal : public NqHostFixture
{
public: // the tampering table reaches in
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
    // Sealing set up, then tsc events 1 to count stored one process after another.
    void SealAndStore(int count)
    {
        ASSERT_EQ(0, Run(L"seal init --epoch 60 --verify-key " + Quoted(KeyFile())).exitCode);
        for (int i = 1; i <= count; ++i)
            ASSERT_EQ(0,
                      Run(L"store tsc szText1=event" + std::to_wstring(i) + L" nValue1=" + std::to_wstring(i))
                          .exitCode);
    }
    std::wstring KeyFile() const { return keys.Path() + L"verify.key"; }
    std::wstring TscDay() const
    {
        return Box().LogFolder() + TestSupport::DateText(TestSupport::Today()) + L".PTG";
    }
    // The seal file of the day, in the chain's folder.
    std::wstring SealFile(const std::wstring& day) const
    {
        const std::string key = ReadText(KeyFile());
        const size_t at = key.find("chain ") + 6;
        return Box().LogFolder() + L"Seal\\" + NqHost::Text::FromUtf8(key.substr(at, 32)) + L"\\" +
               day.substr(day.find_last_of(L'\\') + 1) + L".seal";
    }
    NqHostRun Verify() { return Run(L"verify --verify-key " + Quoted(KeyFile())); }
    // Where the n-th line (from 1) of the day file starts, in bytes.
    static size_t LineStart(const std::vector<BYTE>& bytes, size_t line)
    {
        size_t at = 0;
        for (size_t seen = 1; seen < line; ++seen)
            while (!(bytes[at] == '\n' && bytes[at + 1] == 0 && (at += 2)))
                at += 2;
        return at;
    }
    static void Rewrite(const std::wstring& path, const std::vector<BYTE>& bytes)
    {
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, bytes.data(), bytes.size()));
    }
    // The epoch ends: status, ten minutes on, checkpoints the days and moves the key on.
    void EndEpoch()
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        const SYSTEMTIME later = Shifted(now, 600);
        SetEnvironmentVariableW(L"NQ_CLOCK_START",
                                NqHost::Text::Format(L"%04d%02d%02d%02d%02d%02d", later.wYear, later.wMonth,
                                                     later.wDay, later.wHour, later.wMinute, later.wSecond)
                                    .c_str());
        const NqHostRun status = Run(L"seal status");
        SetEnvironmentVariableW(L"NQ_CLOCK_START", nullptr);
        ASSERT_EQ(0, status.exitCode);
    }
    // What whoever holds the machine can do: every seal's link from record from on made anew for the day's
    // bytes (links need no key), and the last seal's code made again with the key of now.
    void Relink(const std::wstring& day, const std::vector<BYTE>& bytes, size_t from)
    {
        using namespace KvCommon::SealFormat;
        std::vector<BYTE> file = TestSupport::ReadFileBytes(SealFile(day));
        std::vector<LineSeal> seals(file.size() / sizeof(LineSeal));
        std::memcpy(seals.data(), file.data(), seals.size() * sizeof(LineSeal));
        ASSERT_LT(from, seals.size());
        for (size_t k = from; k < seals.size(); ++k)
        {
            KvCommon::Crypto::Digest link;
            ASSERT_TRUE(
                KvCommon::SealKeeper::Link(seals[k - 1].link, seals[k], &bytes[seals[k].offset], link));
            std::memcpy(seals[k].link, link.data(), link.size());
        }
        const std::vector<BYTE> stateBytes = TestSupport::ReadFileBytes(Box().LogFolder() + L"Seal\\state");
        State state;
        ASSERT_EQ(sizeof(state), stateBytes.size());
        std::memcpy(&state, stateBytes.data(), sizeof(state));
        ASSERT_EQ(state.epoch, seals.back().epoch);
        KvCommon::Crypto::Digest key, mac;
        std::memcpy(key.data(), state.key, key.size());
        KvCommon::Hmac hmac;
        ASSERT_TRUE(hmac.SetKey(key) && hmac.Code({{seals.back().link, 32}}, mac));
        std::memcpy(seals.back().mac, mac.data(), mac.size());
        Rewrite(SealFile(day), std::vector<BYTE>(reinterpret_cast<BYTE*>(seals.data()),
                                                 reinterpret_cast<BYTE*>(seals.data() + seals.size())));
    }

    const TestSupport::EventLogSandbox& Box() const { return box ? *box : sandbox; }

    TestSupport::TempFolder keys; // beside the installation, as a key kept elsewhere would be
    const TestSupport::EventLogSandbox* box = nullptr;
};

TEST_F(NqHostSeal, UntouchedInstallationVerifiesAndTheKeyIsNowhereOnTheMachine)
{
    SealAndStore(3);
    NqHostRun verify = Verify();
    EXPECT_EQ(0, verify.exitCode) << verify.output;

    // Export carries each event's seal, for a store that holds the key to prove later.
    const std::vector<Json> lines = ParseJsonLines(Run(L"export tsc").output);
    const std::vector<Json> ecs = ParseJsonLines(Run(L"export tsc --schema ecs").output);
    ASSERT_EQ(3u, lines.size());
    ASSERT_EQ(3u, ecs.size());
    const std::vector<BYTE> seals = TestSupport::ReadFileBytes(SealFile(TscDay()));
    using KvCommon::SealFormat::LineSeal;
    ASSERT_EQ(3 * sizeof(LineSeal), seals.size());
    for (size_t i = 0; i < 3; ++i)
    {
        std::string mac;
        for (size_t b = 0; b < 32; ++b)
            mac += Utf8(
                NqHost::Text::Format(L"%02x", seals[i * sizeof(LineSeal) + offsetof(LineSeal, mac) + b]));
        EXPECT_EQ(mac, lines[i].value("seal", ""));
        EXPECT_EQ(mac, ecs[i].at("event").value("hash", ""));
    }

    // Neither the key's text nor its bytes are in any file of the installation or the registry.
    const std::string text = ReadText(KeyFile());
    const std::string hex = text.substr(text.find("\nkey ") + 5, 64);
    std::string raw;
    for (size_t i = 0; i < 64; i += 2)
        raw += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    const std::wstring wide = NqHost::Text::FromUtf8(hex);
    const std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    Snapshot files, values;
    SnapshotFolder(sandbox.InstalledFolder(), files);
    SnapshotKey(L"Software\\Kelvanor", values);
    EXPECT_FALSE(values.empty());
    files.insert(values.begin(), values.end());
    for (const auto& [name, bytes] : files)
        for (const std::string& form : {raw, hex, utf16})
            EXPECT_EQ(std::string::npos, std::string(bytes.begin(), bytes.end()).find(form)) << Utf8(name);

    // A second init needs --force; the new chain verifies on, and so does the old one up to it.
    TestSupport::TempFolder other;
    EXPECT_EQ(1, Run(L"seal init --verify-key " + Quoted(other.Path() + L"k")).exitCode);
    ASSERT_EQ(0, Run(L"seal init --force --verify-key " + Quoted(other.Path() + L"k")).exitCode);
    ASSERT_EQ(0, Run(L"store tsc szText1=after nValue1=4").exitCode);
    NqHostRun fresh = Run(L"verify --verify-key " + Quoted(other.Path() + L"k"));
    EXPECT_EQ(0, fresh.exitCode) << fresh.output;
    EXPECT_TRUE(fresh.Says("lines 1 to 3 were written before sealing began")) << fresh.output;
    NqHostRun old = Verify();
    EXPECT_EQ(1, old.exitCode);
    EXPECT_TRUE(old.Says(":4: not sealed")) << old.output;
}

// Each way of tampering, done to a day of events 1 to 4, and what verify says of it.
struct Tampering
{
    const char* what;
    std::function<void(NqHostSeal&, const std::wstring& day)> before; // none, or what comes first
    std::function<void(std::vector<BYTE>& day)> edit;                 // none, or an edit of the day's bytes
    std::string said;                                                 // after the day file's path
};

TEST_F(NqHostSeal, EachTamperingIsDetectedAndNamed)
{
    const Tampering cases[] = {
        {"one character changed", nullptr,
         [](std::vector<BYTE>& bytes) { bytes[LineStart(bytes, 2) + 2 * 16] = '7'; }, // "event2" -> "event7"
         ":2: changed"},
        {"a line removed", nullptr,
         [](std::vector<BYTE>& bytes)
         { bytes.erase(bytes.begin() + LineStart(bytes, 2), bytes.begin() + LineStart(bytes, 3)); },
         ":2: 1 sealed lines removed before this line"},
        {"two lines swapped", nullptr,
         [](std::vector<BYTE>& bytes)
         {
             std::rotate(bytes.begin() + LineStart(bytes, 2), bytes.begin() + LineStart(bytes, 3),
                         bytes.begin() + LineStart(bytes, 4));
         },
         ":2: moved: sealed as line 3"},
        {"a line added", nullptr,
         [](std::vector<BYTE>& bytes)
         {
             const std::vector<BYTE> two(bytes.begin() + LineStart(bytes, 2),
                                         bytes.begin() + LineStart(bytes, 3));
             bytes.insert(bytes.begin() + LineStart(bytes, 3), two.begin(), two.end());
         },
         ":3: added without a seal"},
        {"the last line of a past epoch cut, with its seal",
         [](NqHostSeal& test, const std::wstring& day)
         {
             test.EndEpoch();
             const std::vector<BYTE> seals = TestSupport::ReadFileBytes(test.SealFile(day));
             Rewrite(test.SealFile(day),
                     std::vector<BYTE>(seals.begin(), seals.end() - sizeof(KvCommon::SealFormat::LineSeal)));
         },
         [](std::vector<BYTE>& bytes) { bytes.resize(LineStart(bytes, 4)); },
         ":4: end cut after its epoch passed: 1 sealed lines and their seals gone"},
        {"a line of a past epoch changed, every link after it made anew and the last seal coded again with "
         "the key the machine holds now",
         [](NqHostSeal& test, const std::wstring& day)
         {
             test.EndEpoch();
             ASSERT_EQ(0, test.Run(L"store tsc szText1=event5 nValue1=5").exitCode);
             std::vector<BYTE> bytes = TestSupport::ReadFileBytes(day);
             bytes[LineStart(bytes, 2) + 2 * 16] = '7';
             Rewrite(day, bytes);
             test.Relink(day, bytes, 1);
         },
         nullptr, ":2: changed"},
        {"a day removed", [](NqHostSeal&, const std::wstring& day) { ASSERT_TRUE(DeleteFileW(day.c_str())); },
         nullptr, ":1: day removed other than by the purge or the delete action"},
        {"a day removed and begun again",
         [](NqHostSeal& test, const std::wstring& day)
         {
             ASSERT_TRUE(DeleteFileW(day.c_str()));
             ASSERT_EQ(0, test.Run(L"store tsc szText1=anew nValue1=5").exitCode);
         },
         nullptr,
         ":1: day file removed other than by the purge or the delete action and begun again: 4 sealed"},
        {"a seal file removed",
         [](NqHostSeal& test, const std::wstring& day)
         { ASSERT_TRUE(DeleteFileW(test.SealFile(day).c_str())); },
         nullptr, ":1: seal file missing"},
    };
    for (const Tampering& c : cases)
    {
        SCOPED_TRACE(c.what);
        TestSupport::EventLogSandbox fresh; // an installation of its own for each
        box = &fresh;
        SealAndStore(4);
        if (c.before)
            c.before(*this, TscDay());
        if (c.edit)
        {
            std::vector<BYTE> bytes = TestSupport::ReadFileBytes(TscDay());
            c.edit(bytes);
            Rewrite(TscDay(), bytes);
        }
        const NqHostRun verify = Verify();
        EXPECT_EQ(1, verify.exitCode) << verify.output;
        EXPECT_TRUE(verify.Says(Utf8(TscDay()) + c.said)) << verify.output;
        box = nullptr;
    }
}
} // namespace

namespace
{
TEST_F(NqHostSeal, PurgedDaysAndFourWritersAtOnceVerifyClean)
{
    SealAndStore(2);
    // The delete action takes today's day with its seals, and says so in the journal.
    SYSTEMTIME t = TestSupport::Today();
    ASSERT_EQ(0, Run(NqHost::Text::Format(L"delete tsc %04d-%02d-%02d", t.wYear, t.wMonth, t.wDay)).exitCode);
    ASSERT_FALSE(TestSupport::FileExists(TscDay()));
    NqHostRun purged = Verify();
    EXPECT_EQ(0, purged.exitCode) << purged.output;

    // Four processes store into the day begun again at once; each seals in the order its line lands.
    std::string events;
    for (int i = 0; i < 50; ++i)
        events += "{\"kind\":\"tsc\",\"szText1\":\"concurrent\",\"nValue1\":" + std::to_string(i) + "}\n";
    const std::wstring input = InputFile(events);
    std::vector<std::unique_ptr<TestSupport::ChildProcess>> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back(new TestSupport::ChildProcess(CommandLine(L"store --jsonl " + input), false));
    for (auto& writer : writers)
        EXPECT_EQ(0, writer->Exit(120000));
    const std::string day = ReadText(TscDay());
    EXPECT_EQ(200, std::count(day.begin(), day.end(), '\n'));
    NqHostRun together = Verify();
    EXPECT_EQ(0, together.exitCode) << together.output;
}

TEST_F(NqHostSeal, WriterThatDiedBeforeItsSealLeavesOneUnsealedLineAndTheNextSealsOn)
{
    SealAndStore(2);
    // What a writer that died between its line and its seal leaves.
    const std::wstring line = L"20260101|000000|died|9\r\n";
    std::vector<BYTE> bytes = TestSupport::ReadFileBytes(TscDay());
    bytes.insert(bytes.end(), reinterpret_cast<const BYTE*>(line.data()),
                 reinterpret_cast<const BYTE*>(line.data() + line.size()));
    Rewrite(TscDay(), bytes);
    NqHostRun last = Verify();
    EXPECT_EQ(1, last.exitCode);
    EXPECT_TRUE(last.Says(Utf8(TscDay()) + ":3: not sealed: the last line")) << last.output;

    ASSERT_EQ(0, Run(L"store tsc szText1=later nValue1=4").exitCode);
    NqHostRun on = Verify();
    EXPECT_EQ(1, on.exitCode);
    EXPECT_TRUE(on.Says(Utf8(TscDay()) + ":3: not sealed: its writer stopped between the line and its seal"))
        << on.output;
    EXPECT_FALSE(on.Says(":4:")) << on.output;
}
} // namespace

namespace
{
TEST_F(NqHostSeal, EventThatCannotBeSealedIsNotStored)
{
    SealAndStore(1);
    std::vector<BYTE> before = TestSupport::ReadFileBytes(TscDay());
    // A folder where the day's seal file is: every seal of the day fails.
    ASSERT_TRUE(MoveFileW(SealFile(TscDay()).c_str(), (SealFile(TscDay()) + L".kept").c_str()));
    ASSERT_TRUE(CreateDirectoryW(SealFile(TscDay()).c_str(), nullptr));
    TestSupport::TraceSandbox trace;
    EXPECT_NE(0, Run(L"store tsc szText1=unsealable nValue1=2").exitCode);
    EXPECT_EQ(before, TestSupport::ReadFileBytes(TscDay()));
    const std::vector<std::wstring> lines = trace.Lines();
    EXPECT_TRUE(
        std::any_of(lines.begin(), lines.end(),
                    [](const std::wstring& line)
                    { return line.find(L"CTscLog::WriteLog() could not seal its event: 0x") != line.npos; }));
}
} // namespace

// verify's own SHA-256 must be the system's for every length and every way a message comes in pieces.
TEST(LinkHash, AgreesWithTheSystemsSha256)
{
    if (!NqHost::LinkHash::Fast())
        GTEST_SKIP() << "this CPU has no SHA instructions; verify uses the system's";
    std::vector<BYTE> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<BYTE>(i * 131 + 7);
    for (size_t size = 0; size <= bytes.size(); ++size)
        for (size_t cut : {size_t(0), size / 3, size_t(55), size_t(64)})
        {
            const size_t first = std::min(cut, size);
            KvCommon::Crypto::Digest system, own;
            ASSERT_TRUE(KvCommon::Crypto::Sha256(
                {{bytes.data(), first}, {bytes.data() + first, size - first}}, system));
            NqHost::LinkHash::Sha256({{bytes.data(), first}, {bytes.data() + first, size - first}}, own);
            ASSERT_EQ(system, own) << size << " bytes cut at " << first;
        }
}

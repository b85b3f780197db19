// Every operation of the plug-in, run again and again with its 1st, 2nd, 3rd, ... allocation failing
// until it runs through without a failure. A test build of the plug-in lets the host pick the failing one.
#include "E2EHost.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <type_traits>

using namespace E2E;
using namespace SrvFrwk;
using namespace SrvFrwk::EventLog;
using SrvFrwk::Interface::IEnforceProvider;
using SrvFrwk::Interface::IFrameworkService;
using TestSupport::FileExists;

namespace
{
typedef void(WINAPI* PFN_FailAllocation)(LONG nth, BOOL repeat);
typedef LONG(WINAPI* PFN_FailedAllocations)();

// NQ_ALLOC_SWEEP=full: every trace level on, and a second pass in which every allocation after the
// first failing one fails too.
bool FullSweep()
{
    const char* mode = std::getenv("NQ_ALLOC_SWEEP");
    return mode && std::strcmp(mode, "full") == 0;
}

// One of the result codes hosts know, or a Win32 code or a settings-key operation's unexpected failure
// handed through.
bool IsKnownResult(ULONG result)
{
    const ULONG known[] = {RESULT_SUCCESS,  RESULT_NOT_IMPLEMENTED, RESULT_FAILED,        RESULT_NO_STORAGE,
                           RESULT_BAD_TYPE, RESULT_INVALID_ARG,     RESULT_OUT_OF_MEMORY, 0x800300FD};
    return result < 0x10000 || std::find(std::begin(known), std::end(known), result) != std::end(known);
}

ULONG FirstNotSuccess(std::initializer_list<ULONG> results)
{
    for (ULONG result : results)
        if (result != RESULT_SUCCESS)
            return result;
    return RESULT_SUCCESS;
}

size_t LineCount(const std::wstring& path)
{
    const std::wstring text = TestSupport::ReadUtf16File(path);
    return std::count(text.begin(), text.end(), L'\n');
}

auto Fields(const RecentThreatInfo& r)
{
    return std::make_tuple(r.VirusName, r.FileName, Bytes(r.stTime));
}
auto Fields(const LogPathQuery& r)
{
    return std::make_tuple(r.tsLogPath);
}

// Records of text members by their count only.
template <class R> bool Same(const LogQueryData<R>& a, const LogQueryData<R>& b)
{
    if constexpr (std::is_trivially_copyable_v<R>)
        return a.records.size() == b.records.size() &&
               std::memcmp(a.records.data(), b.records.data(), a.records.size() * sizeof(R)) == 0;
    return a.records.size() == b.records.size();
}

template <class R> bool Same(const R& a, const R& b)
{
    if constexpr (std::is_trivially_copyable_v<R>)
        return std::memcmp(&a, &b, sizeof(R)) == 0; // both value-initialized, padding included
    else
        return Fields(a) == Fields(b);
}

struct Operation
{
    std::string name;
    std::function<ULONG()> call;
    // What a call must have left, given its result; the first call runs without a failure and gives the
    // reference.
    std::function<void(ULONG result)> check = [](ULONG) {};
    std::function<void()> prepare = [] {};
};

class AllocationFailureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dll.Loaded() && m_failAllocation && m_failedAllocations) << "Norquill_failalloc.dll";
        ASSERT_FALSE(FileExists(StartupLink())) << "a real shortcut would be lost";
        m_dll.SfPv_Initialize();
        m_dll.SfSv_Initialize();
        ASSERT_EQ(RESULT_SUCCESS, m_dll.SfPv_CreateProvider(&m_provider, CONTROLLER_TYPE,
                                                            PROVIDER_TYPE_EVENTLOG, &m_controller, 0, 0));
        ASSERT_EQ(RESULT_SUCCESS, m_provider->Install());
    }

    void TearDown() override
    {
        if (m_provider)
            m_dll.SfPv_FreeProvider(m_provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0);
        m_dll.SfSv_Uninitialize();
        m_dll.SfPv_Uninitialize();
    }

    std::wstring DayFile(int days, const wchar_t* extension) const
    {
        return sandbox.LogFolder() + TestSupport::DateText(NoonInDays(days)) + L"." + extension;
    }

    template <class R>
    void AddKind(ULONG subType, const wchar_t* extension, const R& sample, const wchar_t* fields)
    {
        auto lines = std::make_shared<size_t>();
        m_ops.push_back({"StoreData " + std::to_string(subType),
                         [=]
                         {
                             R record = sample;
                             return m_provider->StoreData(TYPE_EVENTLOG, subType, &record, 0, 0);
                         },
                         [=](ULONG result)
                         {
                             // A failed store leaves no line behind, a successful one exactly one.
                             const size_t now = LineCount(DayFile(0, extension));
                             EXPECT_EQ(*lines + (Failed(result) ? 0 : 1), now);
                             *lines = now;
                         },
                         [=] { *lines = LineCount(DayFile(0, extension)); }});

        // Two lines of yesterday for the reads: their allocations grow with the lines.
        const std::wstring line = TestSupport::DateText(NoonInDays(-1)) + L"|120000|" + fields + L"\r\n";
        ASSERT_TRUE(TestSupport::WriteUtf16File(DayFile(-1, extension), L"\xFEFF" + line + line));
        AddQuery<LogQueryData<R>>("QueryData " + std::to_string(subType),
                                  [=](LogQueryData<R>& query)
                                  {
                                      query.stDay = NoonInDays(-1);
                                      return m_provider->QueryData(TYPE_EVENTLOG, subType, &query, 0, 0);
                                  });
    }

    // A handed-through Win32 code may leave the record as it was; success must give the reference.
    template <class Record> void AddQuery(const std::string& name, std::function<ULONG(Record&)> call)
    {
        auto record = std::make_shared<Record>();
        auto reference = std::make_shared<std::optional<Record>>();
        m_ops.push_back({name, [=] { return call(*record); },
                         [=](ULONG result)
                         {
                             EXPECT_TRUE(!*reference || result != RESULT_SUCCESS ||
                                         Same(*record, **reference));
                             if (!*reference)
                                 *reference = *record;
                         },
                         [=] { *record = Record(); }});
    }

    void AddOperations();

    void Sweep(const Operation& op, bool repeat)
    {
        op.prepare();
        const ULONG reference = op.call();
        op.check(reference);
        for (LONG n = 1;; ++n)
        {
            SCOPED_TRACE(op.name + ", allocation " + std::to_string(n) + (repeat ? " and all after it" : "") +
                         " failing");
            op.prepare();
            ULONG result = 0;
            bool threw = false;
            m_failAllocation(n, repeat);
            try
            {
                result = op.call();
            }
            catch (...)
            {
                threw = true;
            }
            const bool faulted = m_failedAllocations() > 0;
            m_failAllocation(0, FALSE);

            EXPECT_FALSE(threw);
            EXPECT_TRUE(IsKnownResult(result)) << std::hex << result;
            if (result == RESULT_OUT_OF_MEMORY && !FullSweep()) // errors are then the only lines
            {
                const std::vector<std::wstring> lines = trace.Lines();
                EXPECT_TRUE(!lines.empty() && lines.back().find(L" !!! ") != std::wstring::npos)
                    << "no error trace line";
            }
            op.check(result);
            if (!faulted || HasFailure()) // the first iteration that goes wrong says enough
            {
                // The run without a failure works as the first one did.
                EXPECT_TRUE(faulted || reference == result);
                return;
            }
            ASSERT_LT(n, 20000) << "never ran through";
        }
    }

    TestSupport::TraceSandbox trace{FullSweep() ? 273u : 256u};
    TestSupport::EventLogSandbox sandbox;
    TestSupport::RegistryKeyGuard runKey{HKEY_LOCAL_MACHINE,
                                         L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false};
    NorquillDll m_dll{TestSupport::BinFolder() + L"Norquill_failalloc.dll"};
    PFN_FailAllocation m_failAllocation = m_dll.Entry<PFN_FailAllocation>("NqTest_FailAllocation");
    PFN_FailedAllocations m_failedAllocations =
        m_dll.Entry<PFN_FailedAllocations>("NqTest_FailedAllocations");
    RecordingController m_controller;
    RecordingSrvManager m_manager;
    IEnforceProvider* m_provider = nullptr;
    std::vector<Operation> m_ops;
};

void AllocationFailureTest::AddOperations()
{
    ForEachKind([this](ULONG subType, const wchar_t* extension, const wchar_t*, const auto& sample,
                       const wchar_t* fields) { AddKind(subType, extension, sample, fields); });

    IEnforceProvider* p = m_provider;
    const auto action = [=](ULONG id, LogDeleteParam param = {})
    {
        return Operation{"DoAction " + std::to_string(id), [=]
                         {
                             LogDeleteParam copy = param;
                             return p->DoAction(TYPE_EVENTLOG, id, 0, id == ACTION_DELETE ? &copy : nullptr,
                                                0, 0, 0);
                         }};
    };
    m_ops.push_back({"Install", [=] { return p->Install(); }});
    m_ops.push_back({"StoreConfig 1", [=]
                     {
                         ReportSettings s{0, 1};
                         return p->StoreConfig(TYPE_EVENTLOG, CONFIG_REPORT, &s, 0, 0);
                     }});
    // The user keeps ten years; a fault must never let the default of 30 days decide instead.
    m_ops.push_back({"StoreConfig 2", [=]
                     {
                         EventLogSettings s{3650, 1};
                         return p->StoreConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, &s, 0, 0);
                     }});
    for (ULONG option : {0u, 1u})
        AddQuery<LogPathQuery>("QueryData 16, option " + std::to_string(option),
                               [=](LogPathQuery& q)
                               {
                                   q = {TestSupport::Today(), LOG_VIRUS, L""};
                                   return p->QueryData(TYPE_EVENTLOG, DATA_LOG_PATH, &q, option, 0);
                               });
    AddQuery<RecentThreatInfo>("QueryData 18", [=](RecentThreatInfo& r)
                               { return p->QueryData(TYPE_EVENTLOG, DATA_RECENT_THREAT, &r, 0, 0); });
    AddQuery<ReportSettings>("QueryConfig 1", [=](ReportSettings& s)
                             { return p->QueryConfig(TYPE_EVENTLOG, CONFIG_REPORT, &s, 0, 0); });
    AddQuery<EventLogSettings>("QueryConfig 2", [=](EventLogSettings& s)
                               { return p->QueryConfig(TYPE_EVENTLOG, CONFIG_EVENTLOG_PURGE, &s, 0, 0); });
    const std::wstring keptEvents = DayFile(-1000, L"UPG"), oldEvents = DayFile(-4000, L"UPG");
    const auto writeLog = [](const std::wstring& path)
    { ASSERT_TRUE(TestSupport::WriteFileBytes(path, "\xFF\xFEx\0|\0y\0\r\0\n\0", 12)); };
    // Each purge runs on a file past its age and one within it; setting null: no age to set.
    const auto addPurge =
        [&](Operation op, const wchar_t* setting, const std::wstring& kept, const std::wstring& old)
    {
        op.check = [=](ULONG result)
        {
            EXPECT_TRUE(FileExists(kept)) << "a log younger than its age was purged";
            EXPECT_TRUE(Failed(result) || !FileExists(old));
        };
        op.prepare = [=]
        {
            ASSERT_TRUE(!setting || TestSupport::SetRegDword(HKEY_LOCAL_MACHINE, TestSupport::kEventLogKey,
                                                             setting, 3650));
            writeLog(kept);
            writeLog(old);
        };
        m_ops.push_back(op);
    };
    addPurge(action(ACTION_EVENTLOG_PURGE), L"EventLogPurgeFre", keptEvents, oldEvents);
    addPurge(action(ACTION_DEBUGLOG_PURGE), L"DebugLogPurgeFre", sandbox.LogFolder() + DebugLogName(-1000),
             sandbox.LogFolder() + DebugLogName(-4000));
    addPurge(action(ACTION_DELETE, {NoonInDays(-2000), LOG_UPDATE}), nullptr, keptEvents, oldEvents);
    m_ops.push_back(action(ACTION_REPORT));
    m_ops.push_back(action(ACTION_SETUP_LINK_REMOVE));
    m_ops.push_back(
        {"exports", [this]
         {
             // A failed creation hands out nothing; what was created is freed again.
             IEnforceProvider* provider = nullptr;
             IFrameworkService* service = nullptr;
             const ULONG created = m_dll.SfPv_CreateProvider(&provider, CONTROLLER_TYPE,
                                                             PROVIDER_TYPE_EVENTLOG, &m_controller, 0, 0),
                         createdService = m_dll.SfSv_CreateService(&service, LAYER_TYPE_ENFORCE,
                                                                   SERVICE_TYPE_EVENTLOG, &m_manager, 0, 0);
             EXPECT_EQ(Failed(created), provider == nullptr);
             EXPECT_EQ(Failed(createdService), service == nullptr);
             return FirstNotSuccess(
                 {created, createdService,
                  provider ? m_dll.SfPv_FreeProvider(provider, CONTROLLER_TYPE, PROVIDER_TYPE_EVENTLOG, 0, 0)
                           : RESULT_SUCCESS,
                  service ? m_dll.SfSv_FreeService(service, 0, 0, 0, 0) : RESULT_SUCCESS});
         }});
}
} // namespace

TEST_F(AllocationFailureTest, EveryOperationSurvivesEachFailingAllocationAndWorksAfterwards)
{
    for (bool repeat : {false, true})
    {
        if (repeat && !FullSweep())
            break;
        // Each pass takes its references afresh: the first one's events moved the most recent threat.
        m_ops.clear();
        AddOperations();
        for (const Operation& op : m_ops)
        {
            Sweep(op, repeat);
            if (HasFailure())
                return;
        }
    }
}

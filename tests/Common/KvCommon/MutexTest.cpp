#include "DaclCheck.h"
#include "KvComn_CreationNames.h"
#include "KvComn_Mutex.h"
#include "KvComn_SecurityAttributes.h"
#include "KvComn_SingleLock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using KvCommon::Synchronize::Mutex;

namespace
{
std::wstring UniqueName(const wchar_t* stem)
{
    return std::wstring(L"NQTEST_") + stem + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
           std::to_wstring(::GetTickCount());
}

// A second process that creates and holds a named mutex until released.
class HolderProcess
{
public:
    explicit HolderProcess(const std::wstring& mutexName)
    {
        const std::wstring ready = UniqueName(L"READY");
        const std::wstring release = UniqueName(L"RELEASE");
        m_ready = ::CreateEventW(nullptr, TRUE, FALSE, ready.c_str());
        m_release = ::CreateEventW(nullptr, TRUE, FALSE, release.c_str());
        std::wstring command = L"\"" + TestSupport::BinFolder() + L"kvcommon_mutex_holder.exe\" " +
                               mutexName + L" " + ready + L" " + release;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            ::CloseHandle(m_pi.hThread);
    }
    ~HolderProcess()
    {
        Finish();
        ::CloseHandle(m_ready);
        ::CloseHandle(m_release);
    }
    bool WaitReady() { return m_pi.hProcess && ::WaitForSingleObject(m_ready, 30000) == WAIT_OBJECT_0; }
    // Releases the helper and returns its exit code.
    DWORD Finish()
    {
        DWORD code = 0xFFFFFFFF;
        if (!m_pi.hProcess)
            return code;
        ::SetEvent(m_release);
        ::WaitForSingleObject(m_pi.hProcess, 30000);
        ::GetExitCodeProcess(m_pi.hProcess, &code);
        ::CloseHandle(m_pi.hProcess);
        m_pi.hProcess = nullptr;
        return code;
    }

private:
    HANDLE m_ready = nullptr;
    HANDLE m_release = nullptr;
    PROCESS_INFORMATION m_pi{};
};
} // namespace

TEST(Mutex, NamesLiveInTheLocalNamespace)
{
    KvCommon::CreationNames names;
    std::wstring out;
    ASSERT_TRUE(names.MakeGlobal(out, L"BRQ16_LOGPURGE_MUTEX"));
    EXPECT_EQ(L"Global\\BRQ16_LOGPURGE_MUTEX", out);
    ASSERT_TRUE(names.MakeGlobal(out, L"X_Global\\NAME")); // already global anywhere: unchanged
    EXPECT_EQ(L"X_Global\\NAME", out);
    ASSERT_TRUE(Mutex::MakeName(out, L"BRQ16_DEBUGLOGPURGE_MUTEX"));
    EXPECT_EQ(L"Local\\BRQ16_DEBUGLOGPURGE_MUTEX", out);

    EXPECT_FALSE(names.MakeLocal(out, L""));
    EXPECT_FALSE(Mutex::MakeName(out, L""));
    EXPECT_FALSE(Mutex::Exists(L""));
    EXPECT_FALSE(Mutex().Create(L""));
}

TEST(Mutex, ExistsWhileHeldAndNotAfterTheHolderIsGone)
{
    const std::wstring name = UniqueName(L"HELD");
    EXPECT_FALSE(Mutex::Exists(name));
    {
        Mutex holder;
        ASSERT_TRUE(holder.Create(name));
        EXPECT_NE(nullptr, holder.GetHandle());
        EXPECT_TRUE(Mutex::Exists(name));

        // The same process cannot take it a second time either: a second purge gives up.
        Mutex second;
        EXPECT_FALSE(second.Create(name));
        EXPECT_EQ(nullptr, second.GetHandle());
    }
    EXPECT_FALSE(Mutex::Exists(name));
}

TEST(Mutex, SingleLockReleasesWhatLockTook)
{
    Mutex mutex;
    ASSERT_TRUE(mutex.Create(UniqueName(L"LOCK")));
    {
        KvCommon::Synchronize::SingleLock lock(mutex);
    }
    EXPECT_EQ(0u, mutex.Unlock()); // not owned any more
}

TEST(Mutex, CreateFailsOnNameAnotherProcessCreatedAndDropsItsHandle)
{
    const std::wstring name = UniqueName(L"OTHER");
    std::wstring local;
    ASSERT_TRUE(Mutex::MakeName(local, name));
    HolderProcess other(local);
    ASSERT_TRUE(other.WaitReady());

    EXPECT_TRUE(Mutex::Exists(name));
    Mutex mine;
    EXPECT_FALSE(mine.Create(name));
    EXPECT_EQ(nullptr, mine.GetHandle());

    EXPECT_EQ(0u, other.Finish());
    // Had Create kept its handle, the mutex would outlive the other process.
    EXPECT_FALSE(Mutex::Exists(name));
}

TEST(Mutex, CreatedMutexGrantsWaitAndQueryToAllSevenGroups)
{
    Mutex mutex;
    ASSERT_TRUE(mutex.Create(UniqueName(L"DACL")));
    std::vector<BYTE> sd = DaclCheck::ReadDescriptor(
        [&](BYTE* buffer, DWORD* size)
        {
            return ::GetKernelObjectSecurity(mutex.GetHandle(), DACL_SECURITY_INFORMATION, buffer, *size,
                                             size) != FALSE;
        });
    ASSERT_FALSE(sd.empty());
    DaclCheck::ExpectGroupDacl(sd.data(), KvCommon::AccessControl::KindMutexWaitQuery);
}

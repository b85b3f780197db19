// tail follows today's file while another process stores events.
#include "NqHostTest.h"

using namespace NqHostTest;

namespace
{
// nqhost running in the background, its standard output and error read as they come.
class BackgroundRun
{
public:
    explicit BackgroundRun(std::wstring commandLine)
    {
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        HANDLE write = nullptr;
        if (!CreatePipe(&m_read, &write, &sa, 0))
            return;
        SetHandleInformation(m_read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = write;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                           &m_process))
            CloseHandle(m_process.hThread);
        CloseHandle(write);
    }
    ~BackgroundRun()
    {
        if (m_process.hProcess)
        {
            TerminateProcess(m_process.hProcess, 1);
            CloseHandle(m_process.hProcess);
        }
        if (m_read)
            CloseHandle(m_read);
    }

    // True once the output holds the text; false after the time is up.
    bool WaitFor(const std::string& text, DWORD ms)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        {
            DWORD available = 0;
            while (PeekNamedPipe(m_read, nullptr, 0, nullptr, &available, nullptr) && available)
            {
                char buffer[4096];
                DWORD read = 0;
                if (!ReadFile(m_read, buffer, sizeof(buffer), &read, nullptr))
                    break;
                output.append(buffer, read);
            }
            if (output.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    int Exit(DWORD ms)
    {
        DWORD code = static_cast<DWORD>(-1);
        if (m_process.hProcess && WaitForSingleObject(m_process.hProcess, ms) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_process.hProcess, &code);
        return static_cast<int>(code);
    }

    std::string output;

private:
    HANDLE m_read = nullptr;
    PROCESS_INFORMATION m_process{};
};
} // namespace

using NqHostTail = NqHostFixture;

TEST_F(NqHostTail, PrintsTheLastRecordsThenOneAnotherProcessStores)
{
    ASSERT_EQ(0, Run(L"store tsc szText1=older nValue1=1").exitCode);
    ASSERT_EQ(0, Run(L"store tsc szText1=before nValue1=2").exitCode);
    // The sandbox has waited out the end of the day: "before" is in today's file.
    BackgroundRun tail(CommandLine(L"tail tsc --lines 1 --format jsonl --max-records 2 --for 60"));
    ASSERT_TRUE(tail.WaitFor("following ", 30000)) << tail.output;

    ASSERT_EQ(0, Run(L"store tsc szText1=after nValue1=3").exitCode);
    EXPECT_TRUE(tail.WaitFor("szText1\":\"after", 30000)) << tail.output;
    EXPECT_EQ(0, tail.Exit(30000)) << "the second record ends it";
    std::vector<std::string> texts;
    std::istringstream lines(tail.output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("{\"kind\"", 0) == 0)
            texts.push_back(Json::parse(line).at("szText1"));
    EXPECT_EQ((std::vector<std::string>{"before", "after"}), texts) << tail.output;
}

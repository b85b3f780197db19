#pragma once
// Runs nqhost.exe (beside the test binary) on the real Norquill.dll, the event log in a fresh folder.
#include "TestSupport.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace NqHostTest
{
using Json = nlohmann::json;

inline std::string Utf8(const std::wstring& text)
{
    return NqHost::Text::ToUtf8(text);
}

struct NqHostRun
{
    int exitCode = -1;
    std::string output; // stdout and stderr, UTF-8
    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

// One stored event of each kind; `back` lists what the day file gives back when that differs from the
// stored words.
struct KindSample
{
    std::wstring kind;
    std::wstring stored;
    const char* back;
};

inline const std::vector<KindSample>& KindSamples()
{
    static const std::vector<KindSample> samples = {
        {L"virus", L"dwNumber=7 szThreatName=Worm.X nValue2=-2 nValue4=4 szFilePath=C:\\a\\b.exe", nullptr},
        {L"spyware",
         L"nType=2 szText1=Adw nValue1=5 szPath=C:\\p szText2=t2 szItem=item szText4=t4 nValue3=-9", nullptr},
        {L"vulnerability", L"szName=VN nValue1=1 nValue2=0x2 szText1=xyz", nullptr},
        {L"tsc", L"szText1=Grüße nValue1=42", nullptr},
        {L"update", L"nValue1=1 nValue3=-1 nValue4=2147483647 szText1=A szText2=B", nullptr},
        {L"history", L"dwKind=1 dwValue=3 qwAmount=1000", nullptr},
        {L"url", L"dwCode=0x1a nValue=4 tsText1=http://x/ tsText2=cat", nullptr},
        {L"privacy", L"dwType=3 nValue1=1 tsText1=t1 nValue2=2 tsText4=t4", nullptr},
        {L"phishing", L"nValue1=-5 dwCode=128 nValue2=7 tsText1=http://p/", nullptr},
        {L"change", L"szPath=P szItem=N dwFlag=0 szText2=T2 szText1=T1 nValue1=5 nValue3=9",
         "szPath=P szText2=T2 szText1=T1 nValue1=5 nValue3=9 szText3=P\\N"},
    };
    return samples;
}

// Every field=value of the sample comes back with its value, numbers (as C reads them) as JSON numbers.
inline void ExpectFields(const KindSample& sample, const Json& record)
{
    std::istringstream words(sample.back ? sample.back : Utf8(sample.stored));
    for (std::string word; words >> word;)
    {
        std::string field = word.substr(0, word.find('=')), value = word.substr(field.size() + 1);
        char* end = nullptr;
        long long number = strtoll(value.c_str(), &end, 0);
        if (*end == '\0')
        {
            EXPECT_TRUE(record.at(field).is_number_integer()) << field << " in " << record.dump();
            EXPECT_EQ(number, record.at(field).get<long long>()) << field;
        }
        else
            EXPECT_EQ(value, record.at(field).get<std::string>()) << field;
    }
}

class NqHostFixture : public ::testing::Test
{
protected:
    static std::wstring CommandLine(const std::wstring& args)
    {
        return L"\"" + TestSupport::BinFolder() + L"nqhost.exe\" " + args;
    }

    static NqHostRun Run(const std::wstring& args)
    {
        NqHostRun run;
        run.exitCode = TestSupport::RunProcess(CommandLine(args), 120000, &run.output);
        return run;
    }

    // With --json: the output must be one document (a parse error fails the test with its offset).
    static Json RunJson(const std::wstring& args, int expectedExit = 0)
    {
        NqHostRun run = Run(L"--json " + args);
        EXPECT_EQ(expectedExit, run.exitCode) << Utf8(args);
        return Json::parse(run.output);
    }

    // A day file in the sandbox's log folder: the byte-order mark (unless left out), then the text as given.
    void WriteDayFile(const std::wstring& name, const std::wstring& body, bool mark = true) const
    {
        const std::wstring text = (mark ? L"\xFEFF" : L"") + body;
        CreateDirectoryW(sandbox.LogFolder().c_str(), nullptr);
        ASSERT_TRUE(TestSupport::WriteFileBytes(sandbox.LogFolder() + name, text.data(), text.size() * 2));
    }

    TestSupport::EventLogSandbox sandbox;
};
} // namespace NqHostTest

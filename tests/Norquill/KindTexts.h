#pragma once
// Every kind with the texts its day file keeps, for the tests of what texts do to a line.
#include "LogFileTest.h"

#include "AuLog.h"
#include "HisCleanLog.h"
#include "PhishAlertLog.h"
#include "PvyLog.h"
#include "SpyLog.h"
#include "SusChangeLog.h"
#include "TscLog.h"
#include "UrlFilterLog.h"
#include "VaLog.h"
#include "VirusLog.h"

#include <algorithm>
#include <functional>

namespace KindTexts
{
using namespace SrvFrwk::EventLog;
using Texts = std::vector<std::wstring>;
// A text for one field, at most limit characters (what reading copies back into the member).
using TextSource = std::function<std::wstring(size_t limit)>;

template <size_t N> void Put(wchar_t (&member)[N], const std::wstring& text)
{
    wmemset(member, 0, N);
    wmemcpy(member, text.data(), std::min(text.size(), N));
}

// The texts of a record that its day file keeps.
struct Kept
{
    static Texts Virus(const VirusLogRecord& r) { return {r.szThreatName, r.szFilePath}; }
    static Texts Spy(const SpyLogRecord& r) { return {r.szPath, r.szText2, r.szItem, r.szText4, r.szText1}; }
    static Texts Va(const VaLogRecord& r) { return {r.szName, r.szText1}; }
    static Texts Tsc(const TscLogRecord& r) { return {r.szText1}; }
    static Texts Au(const AuLogRecord& r) { return {r.szText1, r.szText2}; }
    static Texts Url(const UrlFilterLogRecord& r) { return {r.tsText1, r.tsText2}; }
    static Texts Pvy(const PvyLogRecord& r) { return {r.tsText1, r.tsText2, r.tsText6}; }
    static Texts Phish(const PhishAlertLogRecord& r) { return {r.tsText1, r.tsText2, r.tsText3}; }
    static Texts HisClean(const HisCleanLogRecord& r)
    {
        return {std::to_wstring(r.dwValue), std::to_wstring(r.dwCount)};
    }
    // Read at the spyware indexes: its path and second text come back where they were.
    static Texts Change(const SpyLogRecord& r) { return {r.szPath, r.szText2}; }
};

// Each kind with a record whose texts come from the source, and the texts of a record that its day file
// keeps: visit(log, extension, make, kept).
template <class Visit> void ForEachKindsTexts(Visit&& visit)
{
    auto virus = [](const TextSource& text)
    {
        VirusLogRecord r{7, 0, {}, 1, 2, 3, 4, {}, {}, {}, {}};
        Put(r.szThreatName, text(126));
        Put(r.szFilePath, text(258));
        return r;
    };
    visit(CVirusLog(), L"VLG", virus, Kept::Virus);
    auto spy = [](const TextSource& text)
    {
        SpyLogRecord r{};
        Put(r.szPath, text(259));
        Put(r.szText2, text(259));
        Put(r.szItem, text(387));
        Put(r.szText4, text(259));
        Put(r.szText1, text(259));
        return r;
    };
    visit(CSpyLog(), L"SPG", spy, Kept::Spy);
    auto va = [](const TextSource& text)
    {
        VaLogRecord r{{}, 1, 2, {}, {}};
        Put(r.szName, text(30));
        Put(r.szText1, text(1900));
        return r;
    };
    visit(CVaLog(), L"VAG", va, Kept::Va);
    auto tsc = [](const TextSource& text)
    {
        TscLogRecord r{{}, 5, {}};
        Put(r.szText1, text(126));
        return r;
    };
    visit(CTscLog(), L"PTG", tsc, Kept::Tsc);
    auto au = [](const TextSource& text)
    {
        AuLogRecord r{1, 2, 3, 4, {}, {}, {}};
        Put(r.szText1, text(30));
        Put(r.szText2, text(30));
        return r;
    };
    visit(CAuLog(), L"UPG", au, Kept::Au);
    auto url = [](const TextSource& text)
    { return UrlFilterLogRecord{1, 0x1A, text(600), 2, text(600), L"", 0, 0, L"", {}}; };
    visit(CUrlFilterLog(), L"ULG", url, Kept::Url);
    auto pvy = [](const TextSource& text)
    { return PvyLogRecord{2, 1, text(600), 2, text(600), L"", L"", L"", text(600), {}}; };
    visit(CPvyLog(), L"PPG", pvy, Kept::Pvy);
    auto phish = [](const TextSource& text)
    { return PhishAlertLogRecord{1, 3, 0, text(600), text(600), text(600), {}}; };
    visit(CPhishAlertLog(), L"HLG", phish, Kept::Phish);
    auto hisClean = [](const TextSource&) { return HisCleanLogRecord{0, {}, 42, {}, 0, {}, 7, {}}; };
    visit(CHisCleanLog(), L"HCG", hisClean, Kept::HisClean);
    visit(CSusChangeLog(), L"SCG", spy, Kept::Change);
}

} // namespace KindTexts

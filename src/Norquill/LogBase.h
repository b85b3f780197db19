#pragma once
#include "DayRecordRead.h"
#include "LineFields.h"

#include <windows.h>
#include <cwchar>
#include <string>
#include <vector>

class PageToucher;

// The constants that tell one kind of daily file from another.
struct LogKindInfo
{
    const char* sourceFile;      // the kind's own source file, named in its trace lines
    const wchar_t* className;    // "CVirusLog"
    const wchar_t* extension;    // "VLG"
    const wchar_t* lastDateName; // "VIRLastDate"; null for a kind that stamps nothing
    bool traceNullRecord;        // whether a null record on write is traced
};

// Base of the ten record classes: one object per StoreData / QueryData request.
class CLogBase
{
public:
    CLogBase() = default;
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;
    virtual ~CLogBase() = default;

    // Formats the kind's record as one line and appends it to today's file of the kind.
    virtual ULONG WriteLog(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    virtual std::wstring MakeRecode(void* _pPropertyData);
    // Appends the records of the day named by the LogQueryData to its list.
    virtual ULONG ReadLog(void* _pPropertyData, ULONG _ulOption, ULONG_PTR _ulpReserved);
    virtual ULONG PutRecode(void* _pPropertyData, std::wstring line);
    virtual void PutField(ULONG index, const wchar_t* text, void* record);

    // Tests run hook while a read holds its day file open; nullptr removes it.
    using ReadHook = void (*)();
    static void SetReadHook(ReadHook hook);

protected:
    // The shared write flow: MakeRecode, then one append to today's file of the kind.
    ULONG WriteDayFile(const LogKindInfo& kind, void* record);
    using RecordRoom = DayRecordRead::RecordRoom;
    using ReserveRecords = DayRecordRead::ReserveRecords;
    // The shared read flow: one reserve for the whole file, then PutRecode for every whole line of the
    // day's file. day null: no query.
    ULONG ReadDayFile(const LogKindInfo& kind, void* query, const SYSTEMTIME* day, ReserveRecords reserve);
    // Fills m_vecFields from one line; keeps the strings' capacity from line to line. False for a line
    // without any "|", which no writer makes.
    bool SplitLine(const std::wstring& line) { return LineFields::Split(line, m_vecFields); }
    // Fields 0 (YYYYMMDD) and 1 (HHMMSS) into m_stTime; missing digits read as absent.
    void PutTimeField(ULONG index, const wchar_t* text) { LineFields::PutTime(index, text, m_stTime); }

    // A number formatted and cut to limit characters, as a fixed buffer would cut it.
    static std::wstring FormatNumber(const wchar_t* format, LONG value, size_t limit = 31)
    {
        return LineFields::FormatNumber(format, value, limit);
    }
    // Copies text into dest, cut to limit - 1 characters and terminated.
    static void CopyText(wchar_t* dest, size_t limit, const wchar_t* text)
    {
        LineFields::CopyText(dest, limit, text);
    }
    // _wtoi of a field, quicker for a field of plain digits.
    static int ToInt(const wchar_t* text) { return LineFields::ToInt(text); }
    // A caller's fixed text array, never read past its end.
    template <size_t N> static std::wstring ArrayText(const wchar_t (&text)[N])
    {
        return std::wstring(text, wcsnlen(text, N));
    }

    std::vector<std::wstring> m_vecFields;
    SYSTEMTIME m_stTime{};
    // While a day is read: claim each new record's storage from it before writing the record.
    PageToucher* m_pageToucher = nullptr;
};

// A new, empty record object for data sub-types 1 to 10; null for any other sub-type or when memory
// runs out.
CLogBase* CreateLogObject(ULONG subType);

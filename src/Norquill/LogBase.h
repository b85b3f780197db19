#pragma once
#include "DayRecordRead.h"
#include "LineFields.h"
#include "LogKindInfo.h"

#include <windows.h>
#include <cwchar>
#include <string>
#include <vector>

class PageToucher;

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
    // The shared read flow: one reserve for the whole file, then PutRecode for every whole line of the
    // day's file. day null: no query.
    ULONG ReadDayFile(const LogKindInfo& kind, void* query, const SYSTEMTIME* day,
                      DayRecordRead::ReserveRecords reserve);
    // A caller's fixed text array, never read past its end.
    template <size_t N> static std::wstring ArrayText(const wchar_t (&text)[N])
    {
        return std::wstring(text, wcsnlen(text, N));
    }

    std::vector<std::wstring> m_vecFields; // one line's fields, their capacity kept from line to line
    SYSTEMTIME m_stTime{};
    // While a day is read: claim each new record's storage from it before writing the record.
    PageToucher* m_pageToucher = nullptr;
};

// A new, empty record object for data sub-types 1 to 10; null for any other sub-type or when memory
// runs out.
CLogBase* CreateLogObject(ULONG subType);

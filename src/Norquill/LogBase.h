#pragma once
#include <windows.h>
#include <string>
#include <vector>

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

protected:
    std::vector<std::wstring> m_vecFields;
    SYSTEMTIME m_stTime{};
};

// A new, empty record object for data sub-types 1 to 10; null for any other sub-type or when memory
// runs out.
CLogBase* CreateLogObject(ULONG subType);

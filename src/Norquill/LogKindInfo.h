#pragma once
#include <windows.h>

// The constants that tell one kind of daily file from another.
struct LogKindInfo
{
    const char* sourceFile;      // the kind's own source file, named in its trace lines
    const wchar_t* className;    // "CVirusLog"
    const wchar_t* extension;    // "VLG"
    const wchar_t* lastDateName; // "VIRLastDate"; null for a kind that stamps nothing
    bool traceNullRecord;        // whether a null record on write is traced
};

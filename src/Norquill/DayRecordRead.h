#pragma once
#include <windows.h>
#include <functional>

struct LogKindInfo;
class PageToucher;

// A day file read into records: opened beside its writers, room made once for all its records, then every
// line the reader takes handed on in file order.
class DayRecordRead
{
public:
    // The room made for new records: raw storage right after the list's last record.
    struct RecordRoom
    {
        void* begin;
        size_t bytes;
    };
    // Makes room in the query's list for lines more records, keeping those it holds.
    using ReserveRecords = RecordRoom (*)(void* query, size_t lines);
    // Takes a record's line without its end; false ends the read.
    using LineSink = std::function<bool(const wchar_t* line, size_t length)>;
    using Hook = void (*)();

    // Tests run hook while a read holds its day file open; nullptr removes it.
    static void SetHook(Hook hook);
    // One reserve for the whole file, then sink for every record's line of the day's file. day null: no
    // query. toucher: where the kind claims each new record's storage while the read runs.
    static ULONG Read(const LogKindInfo& kind, void* query, const SYSTEMTIME* day, ReserveRecords reserve,
                      PageToucher*& toucher, const LineSink& sink);
};

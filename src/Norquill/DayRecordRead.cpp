#include "DayRecordRead.h"

#include "DayLineRules.h"
#include "Frwk_Utility.h"
#include "KindTrace.h"
#include "KvComn_Exception.h"
#include "KvComn_Handle.h"
#include "KvComn_SharingRetry.h"
#include "LogKindInfo.h"
#include "LogLineReader.h"
#include "LogTypes.h"
#include "PageToucher.h"
#include "SrvFrwk_EventLog.h"

#include <atomic>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

using namespace SrvFrwk;

namespace
{
std::atomic<DayRecordRead::Hook> g_readHook{nullptr};

// Far more than the longest line, so that a day is read in few large blocks.
constexpr size_t kReadBufferChars = 32 * 1024;

// Room for the lines that can become records; none when the list cannot grow that far at once, so that
// the records are then taken one by one as far as memory goes.
template <class Reserve>
auto TryReserve(Reserve reserve, void* query, size_t lines) -> decltype(reserve(query, lines))
{
    try
    {
        return reserve(query, lines);
    }
    catch (const std::bad_alloc&)
    {
    }
    catch (const std::length_error&)
    {
    }
    return {};
}

// Opens the day file for reading beside its writers and the purge; waits out only an opener that shares
// no reading. The handle is not inherited: a child the host starts meanwhile must not hold the day.
KvCommon::UniqueFileHandle OpenForReading(const std::wstring& name)
{
    KvCommon::UniqueFileHandle file;
    DWORD error = 0;
    KvCommon::Storage::SharingRetry::Run(
        [&](DWORD& e)
        {
            file.reset(::CreateFileW(name.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            e = file ? 0 : ::GetLastError();
            return file.valid();
        },
        error);
    return file;
}

// The bytes of the day's lines as the file is now: past the mark when the file begins with it, up to the
// length seen here. Lines appended later are left to the next read. False when unreadable.
bool LinesExtent(HANDLE file, ULONGLONG& bytes)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        return false;
    wchar_t mark = 0;
    DWORD got = 0;
    if (size.QuadPart >= 2 && ::ReadFile(file, &mark, sizeof(mark), &got, nullptr) &&
        DayLineRules::LinesBegin(&mark, got / sizeof(mark)) == 1)
    {
        bytes = static_cast<ULONGLONG>(size.QuadPart) - 2;
        return true;
    }
    bytes = static_cast<ULONGLONG>(size.QuadPart);
    return ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) != FALSE;
}

// Hands every record's line to the sink; stops at the first line it refuses.
void ReadLines(LogLineReader& reader, const DayRecordRead::LineSink& sink)
{
    DayLineRules rules;
    const wchar_t* piece = nullptr;
    size_t length = 0;
    while (reader.Next(piece, length))
        if (const size_t chars = rules.RecordChars(piece, length))
            if (!sink(piece, chars))
                break;
}

// The records of the lines of an open day file.
ULONG ReadRecords(const LogKindInfo& kind, HANDLE file, ULONGLONG bytes, void* query,
                  DayRecordRead::ReserveRecords reserve, PageToucher*& toucher,
                  const DayRecordRead::LineSink& sink)
{
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[kReadBufferChars]);
    if (!buffer)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"Out of Memory");
        return RESULT_FAILED;
    }
    // One growth for the whole day: a list grown by doubling copies every record read so far.
    size_t lines = 0;
    if (!LogLineReader::CountRecordLines(file, bytes, buffer.get(), kReadBufferChars, lines))
        return RESULT_FAILED;
    const DayRecordRead::RecordRoom room = TryReserve(reserve, query, lines);
    PageToucher pages(room.begin, room.bytes);
    toucher = &pages;
    struct Unlend // the toucher lives only as long as this read
    {
        PageToucher*& slot;
        ~Unlend() { slot = nullptr; }
    } unlend{toucher};
    LogLineReader reader(file, bytes, buffer.get(), kReadBufferChars);
    ReadLines(reader, sink);
    return RESULT_SUCCESS;
}

ULONG ReadDay(const LogKindInfo& kind, const std::wstring& name, void* query,
              DayRecordRead::ReserveRecords reserve, PageToucher*& toucher,
              const DayRecordRead::LineSink& sink)
{
    KvCommon::UniqueFileHandle file;
    if (!name.empty())
        file = OpenForReading(name);
    ULONGLONG bytes = 0;
    if (!file || !LinesExtent(file.get(), bytes))
        return RESULT_FAILED;
    if (DayRecordRead::Hook hook = g_readHook.load(std::memory_order_acquire))
        hook();
    return ReadRecords(kind, file.get(), bytes, query, reserve, toucher, sink);
}
} // namespace

void DayRecordRead::SetHook(Hook hook)
{
    g_readHook.store(hook, std::memory_order_release);
}

ULONG DayRecordRead::Read(const LogKindInfo& kind, void* query, const SYSTEMTIME* day, ReserveRecords reserve,
                          PageToucher*& toucher, const LineSink& sink)
{
    if (!query || !day)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"_pPropertyData invalid");
        return RESULT_INVALID_ARG;
    }
    try
    {
        const std::wstring name =
            Norquill::MakeDayFileName(Frwk::Utility::GetLogFolder(), *day, kind.extension);
        return ReadDay(kind, name, query, reserve, toucher, sink);
    }
    catch (KvCommon::Exception::Base* e)
    {
        delete e;
        return RESULT_FAILED;
    }
    catch (const std::bad_alloc&)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"Out of Memory");
        return RESULT_FAILED;
    }
}

#include "LogBase.h"

#include "DaySeal.h"
#include "EventLogKey.h"
#include "Frwk_Utility.h"
#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "KvComn_FileBase.h"
#include "KvComn_Handle.h"
#include "KvComn_SharingRetry.h"
#include "KvComn_String.h"
#include "LogLine.h"
#include "LogLineReader.h"
#include "LogScan.h"
#include "LogTypes.h"
#include "PageToucher.h"
#include "SrvFrwk_EventLog.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

using namespace SrvFrwk;

// Lines of the shared flows carry the kind's own source file, as if each class had its own copy.
#define KIND_TRACE(kind, level, ...) ::g_DebugLog.Trace((kind).sourceFile, __LINE__, (level), __VA_ARGS__)

namespace
{
std::atomic<CLogBase::ReadHook> g_readHook{nullptr};

// Far more than the longest line, so that a day is read in few large blocks.
constexpr size_t kReadBufferChars = 32 * 1024;

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

int FieldToInt(const wchar_t* text)
{
    const bool sign = text[0] == L'-' || text[0] == L'+';
    const wchar_t* digits = text + (sign ? 1 : 0);
    int value = 0;
    size_t count = 0;
    for (; count < 9 && IsDigit(digits[count]); ++count)
        value = value * 10 + (digits[count] - L'0');
    // Blanks, other digits, overflow and whatever follows the digits: the runtime's own rules.
    if (count == 0 || digits[count] != L'\0')
        return _wtoi(text);
    return text[0] == L'-' ? -value : value;
}

// Characters [pos, pos + count) of a field, those beyond its end read as absent.
int DigitsAt(const wchar_t* text, size_t length, size_t pos, size_t count)
{
    wchar_t digits[9] = {};
    for (size_t i = 0; i < count && pos + i < length; ++i)
        digits[i] = text[pos + i];
    return FieldToInt(digits);
}

// What a file of length bytes needs before its next line starts on a line of its own: nothing at a line
// end or at the start, else the half unit completed and CR LF. A crash in the middle of an append, or a
// disk that lost a write's tail, leaves such an end; a line glued onto it would be lost with it.
struct LineStart
{
    const char* repair = ""; // the bytes that end the damaged last line
    size_t size = 0;
    const wchar_t* reason = nullptr;
};

bool FindLineStart(KvCommon::Storage::FileBase& file, LONGLONG length, LineStart& start, DWORD& error)
{
    start = LineStart();
    if (length == 0)
        return true;
    if (length % 2 != 0)
    {
        start = {"\0\r\0\n\0", 5, L"half a character"};
        return true;
    }
    wchar_t last = 0;
    DWORD read = 0;
    if (!file.ReadAt(length - 2, &last, sizeof(last), read, &error))
        return false;
    if (last != L'\n' && !(length == 2 && last == L'\xFEFF'))
        start = {"\r\0\n\0", 4, L"a line without its end"};
    return true;
}

// Open (waiting out other openers), seek to the end, one write, close; each failure traced with the
// kind's source file. data begins with the byte-order mark, which goes out only when the file is empty
// while this writer holds it: deciding before the open would let two writers that both found no file
// each put a mark, and would leave an existing empty file without one.
// Cuts the file back to its length before the append: a part of a line left behind would glue itself to the
// next event's line, and an event is stored sealed or not at all.
void TakeBack(const LogKindInfo& kind, KvCommon::Storage::FileBase& file, LONGLONG length)
{
    DWORD error = 0;
    if (!file.Truncate(length, &error))
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Truncate() failed: 0x%08X", error);
}

// The event's bytes sealed while this writer still holds the day file, so seals follow the lines' order. On a
// failure the line is taken back.
bool SealAppended(const LogKindInfo& kind, KvCommon::Storage::FileBase& file, const std::wstring& folder,
                  const std::wstring& name, LONGLONG length, const LineStart& start, const char* line,
                  size_t lineBytes)
{
    DWORD error = 0;
    if (CDaySeal::Seal(folder, name.substr(folder.size()), static_cast<ULONGLONG>(length) + start.size, line,
                       lineBytes, length == 0, error))
        return true;
    KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"%s::WriteLog() could not seal its event: 0x%08X",
               kind.className, error);
    TakeBack(kind, file, length);
    return false;
}

// sealFolder: the log folder when sealing is on, else null.
bool AppendToFile(const LogKindInfo& kind, const std::wstring& name, const std::wstring& data, bool& isNew,
                  const std::wstring* sealFolder)
{
    KvCommon::Storage::FileBase file(name);
    KvCommon::AccessControl::SecurityAttributes attributes;
    DWORD error = 0;
    // A day whose deletion is pending gives its name to a new file once its last reader closes it.
    using KvCommon::Storage::SharingRetry;
    if (!SharingRetry::Run([&](DWORD& e) { return file.Open(attributes, &e); }, error, SharingRetry::kBoundMs,
                           SharingRetry::Also::Deletion))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Open() failed: 0x%08X", error);
        return false;
    }
    LONGLONG length = 0;
    LineStart start;
    if (!file.SetFilePointer(0, FILE_END, &error, &length))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"*** FileBase::SetFilePointer() failed: 0x%08x",
                   error);
        return false;
    }
    if (!FindLineStart(file, length, start, error))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::ReadAt() failed: 0x%08X", error);
        return false;
    }
    isNew = length == 0;
    const size_t skip = isNew ? 0 : 1;
    const char* line = reinterpret_cast<const char*>(data.c_str() + skip);
    const size_t lineBytes = (data.size() - skip) * sizeof(wchar_t);
    // A repair goes out in the same write as the event; a healthy file's append copies nothing.
    std::string repaired;
    if (start.size > 0)
        repaired.assign(start.repair, start.size).append(line, lineBytes);
    const char* bytes = repaired.empty() ? line : repaired.data();
    const size_t size = repaired.empty() ? lineBytes : repaired.size();
    if (!file.Write(bytes, static_cast<DWORD>(size), &error))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Write(Data) failed: 0x%08X", error);
        TakeBack(kind, file, length);
        return false;
    }
    if (sealFolder && !SealAppended(kind, file, *sealFolder, name, length, start, line, lineBytes))
        return false;
    file.Close();
    if (start.reason)
        KIND_TRACE(kind, KvCommon::TraceLevel::Error,
                   L"%s::WriteLog() ended the damaged last line of %s (%s) before the event", kind.className,
                   name.c_str(), start.reason);
    return true;
}

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

// The bytes of the day's lines as the file is now: past the mark FF FE when the file begins with it, up
// to the length seen here. Lines appended later are left to the next read. False when unreadable.
bool LinesExtent(HANDLE file, ULONGLONG& bytes)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        return false;
    wchar_t mark = 0;
    DWORD got = 0;
    if (size.QuadPart >= 2 && ::ReadFile(file, &mark, sizeof(mark), &got, nullptr) && got == sizeof(mark) &&
        mark == L'\xFEFF')
    {
        bytes = static_cast<ULONGLONG>(size.QuadPart) - 2;
        return true;
    }
    bytes = static_cast<ULONGLONG>(size.QuadPart);
    return ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) != FALSE;
}
} // namespace

void CLogBase::SetReadHook(ReadHook hook)
{
    g_readHook.store(hook, std::memory_order_release);
}

ULONG CLogBase::WriteLog(void*, ULONG, ULONG_PTR)
{
    return RESULT_SUCCESS;
}

std::wstring CLogBase::MakeRecode(void*)
{
    return std::wstring();
}

ULONG CLogBase::ReadLog(void*, ULONG, ULONG_PTR)
{
    return RESULT_SUCCESS;
}

ULONG CLogBase::PutRecode(void*, std::wstring)
{
    return RESULT_SUCCESS;
}

void CLogBase::PutField(ULONG, const wchar_t*, void*) {}

ULONG CLogBase::WriteDayFile(const LogKindInfo& kind, void* record)
{
    KIND_TRACE(kind, KvCommon::TraceLevel::Function, L"[Enter] %s::WriteLog()...", kind.className);
    if (!record)
    {
        if (kind.traceNullRecord)
            KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"_pPropertyData invalid");
        return RESULT_INVALID_ARG;
    }
    try
    {
        // The mark goes out with the first line in the same write, so a reader never sees it alone.
        std::wstring data(1, L'\xFEFF');
        data += MakeRecode(record);

        const std::wstring folder = Frwk::Utility::GetLogFolder();
        ::CreateDirectoryW(folder.c_str(), nullptr);
        SYSTEMTIME now;
        KvCommon::Clock::GetLocalTime(&now);
        const std::wstring name = Norquill::MakeDayFileName(folder, now, kind.extension);
        bool isNew = false;
        const bool sealed = CDaySeal::IsOn(folder);
        if (!AppendToFile(kind, name, data, isNew, sealed ? &folder : nullptr))
            return RESULT_FAILED;
        if (isNew && kind.lastDateName)
            EventLogKey::StoreTimeStamp(kind.lastDateName, now);
    }
    catch (KvCommon::Exception::Base* e)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"%s::WriteLog() failed: 0x%08X", kind.className,
                   e->GetCode());
        delete e;
        return RESULT_FAILED;
    }
    catch (const std::bad_alloc&)
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"Out of Memory");
        return RESULT_FAILED;
    }
    KIND_TRACE(kind, KvCommon::TraceLevel::Function, L"[Leave] %s::WriteLog()...", kind.className);
    return RESULT_SUCCESS;
}

ULONG CLogBase::ReadDayFile(const LogKindInfo& kind, void* query, const SYSTEMTIME* day,
                            ReserveRecords reserve)
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
        KvCommon::UniqueFileHandle file;
        if (!name.empty())
            file = OpenForReading(name);
        ULONGLONG bytes = 0;
        if (!file || !LinesExtent(file.get(), bytes))
            return RESULT_FAILED;
        if (ReadHook hook = g_readHook.load(std::memory_order_acquire))
            hook();
        std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[kReadBufferChars]);
        if (!buffer)
        {
            KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"Out of Memory");
            return RESULT_FAILED;
        }

        // One growth for the whole day: a list grown by doubling copies every record read so far.
        size_t lines = 0;
        if (!LogLineReader::CountRecordLines(file.get(), bytes, buffer.get(), kReadBufferChars, lines))
            return RESULT_FAILED;
        const RecordRoom room = TryReserve(reserve, query, lines);
        PageToucher toucher(room.begin, room.bytes);
        m_pageToucher = &toucher;
        struct Unlend // the toucher lives only as long as this read
        {
            PageToucher*& slot;
            ~Unlend() { slot = nullptr; }
        } unlend{m_pageToucher};
        LogLineReader reader(file.get(), bytes, buffer.get(), kReadBufferChars);
        ReadLines(reader, query);
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
    return RESULT_SUCCESS;
}

void CLogBase::ReadLines(LogLineReader& reader, void* query)
{
    bool complete = true;
    const wchar_t* piece = nullptr;
    size_t length = 0;
    while (reader.Next(piece, length))
    {
        if (length == 0)
            continue;
        if (piece[length - 1] != L'\n')
        {
            complete = false; // head of an overlong line, or a last line without its end
            continue;
        }
        if (!complete)
        {
            complete = true; // tail of an overlong line
            continue;
        }
        size_t keep = length;
        while (keep > 0 && piece[keep - 1] != L'\r')
            --keep;
        keep = keep > 0 ? keep - 1 : length; // cut at the last "\r"; without one the piece stays whole
        if (keep == 0)
            continue;
        if (PutRecode(query, std::wstring(piece, keep)) != RESULT_SUCCESS)
            break;
    }
}

bool CLogBase::SplitLine(const std::wstring& line)
{
    // One pass: the runtime's search costs more than the line's own characters.
    const wchar_t* text = line.data();
    const size_t size = line.size();
    size_t count = 0;
    bool mapped = false; // the field holds a stand-in or an escape
    auto append = [&](size_t from, size_t to)
    {
        if (count < m_vecFields.size())
            m_vecFields[count].assign(text + from, to - from);
        else
            m_vecFields.emplace_back(text + from, to - from);
        if (mapped)
            LogLine::UnmapText(m_vecFields[count]);
        mapped = false;
        ++count;
    };
    bool separated = false;
    size_t start = 0;
    for (size_t p = 0; p < size; ++p)
    {
        p = static_cast<size_t>(LogScan::FindSeparator(text + p, text + size) - text);
        if (p == size)
            break;
        if (text[p] != L'|')
        {
            mapped = mapped || LogLine::IsSpecial(text[p]);
            continue;
        }
        separated = true;
        if (p > 0)
            append(start, p);
        else
            mapped = false;
        start = p + 1;
    }
    if (!separated)
        return false;
    append(start, size);
    m_vecFields.resize(count);
    return true;
}

void CLogBase::PutTimeField(ULONG index, const wchar_t* text)
{
    size_t length = 0;
    while (length < 8 && text[length] != L'\0')
        ++length;
    if (index == 0)
    {
        m_stTime.wYear = static_cast<WORD>(DigitsAt(text, length, 0, 4));
        m_stTime.wMonth = static_cast<WORD>(DigitsAt(text, length, 4, 2));
        m_stTime.wDay = static_cast<WORD>(DigitsAt(text, length, 6, 2));
    }
    else if (index == 1)
    {
        m_stTime.wHour = static_cast<WORD>(DigitsAt(text, length, 0, 2));
        m_stTime.wMinute = static_cast<WORD>(DigitsAt(text, length, 2, 2));
        m_stTime.wSecond = static_cast<WORD>(DigitsAt(text, length, 4, 2));
    }
}

std::wstring CLogBase::FormatNumber(const wchar_t* format, LONG value, size_t limit)
{
    std::wstring text;
    KvCommon::String::Format(text, format, value);
    if (text.size() > limit)
        text.resize(limit);
    return text;
}

void CLogBase::CopyText(wchar_t* dest, size_t limit, const wchar_t* text)
{
    size_t i = 0;
    for (; i + 1 < limit && text[i] != L'\0'; ++i)
        dest[i] = text[i];
    dest[i] = L'\0';
}

int CLogBase::ToInt(const wchar_t* text)
{
    return FieldToInt(text);
}

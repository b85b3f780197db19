#include "LogBase.h"

#include "EventLogKey.h"
#include "Frwk_Utility.h"
#include "KvComn_Clock.h"
#include "KvComn_DebugLog.h"
#include "KvComn_FileBase.h"
#include "KvComn_Handle.h"
#include "KvComn_SharingRetry.h"
#include "KvComn_String.h"
#include "LogLineReader.h"
#include "LogScan.h"
#include "LogTypes.h"
#include "PageToucher.h"
#include "SrvFrwk_EventLog.h"

#include <share.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

using namespace SrvFrwk;

// Lines of the shared flows carry the kind's own source file, as if each class had its own copy.
#define KIND_TRACE(kind, level, ...) ::g_DebugLog.Trace((kind).sourceFile, __LINE__, (level), __VA_ARGS__)

namespace
{
constexpr size_t kLineBufferChars = 2048;
constexpr size_t kStreamBufferBytes = 64 * 1024;

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

// Open (waiting out other openers), seek to the end, one write, close; each failure traced with the
// kind's source file. data begins with the byte-order mark, which goes out only when the file is empty
// while this writer holds it: deciding before the open would let two writers that both found no file
// each put a mark, and would leave an existing empty file without one.
bool AppendToFile(const LogKindInfo& kind, const std::wstring& name, const std::wstring& data, bool& isNew)
{
    KvCommon::Storage::FileBase file(name);
    KvCommon::AccessControl::SecurityAttributes attributes;
    DWORD error = 0;
    if (!KvCommon::Storage::SharingRetry::Run([&](DWORD& e) { return file.Open(attributes, &e); }, error))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Open() failed: 0x%08X", error);
        return false;
    }
    DWORD length = 0;
    if (!file.SetFilePointer(0, FILE_END, &error, &length))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"*** FileBase::SetFilePointer() failed: 0x%08x",
                   error);
        return false;
    }
    isNew = length == 0;
    const size_t skip = isNew ? 0 : 1;
    if (!file.Write(data.c_str() + skip, static_cast<DWORD>((data.size() - skip) * sizeof(wchar_t)), &error))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Write(Data) failed: 0x%08X", error);
        // A part of the line left behind would glue itself to the next event's line.
        if (!file.Truncate(length, &error))
            KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Truncate() failed: 0x%08X", error);
        return false;
    }
    file.Close();
    return true;
}

// Opens the day file for reading, keeping writers out; waits out a writer that holds it.
FILE* OpenForReading(const std::wstring& name)
{
    FILE* file = nullptr;
    DWORD error = 0;
    KvCommon::Storage::SharingRetry::Run(
        [&](DWORD& e)
        {
            file = ::_wfsopen(name.c_str(), L"rb", _SH_DENYWR);
            e = file ? 0 : static_cast<DWORD>(_doserrno);
            return file != nullptr;
        },
        error);
    return file;
}

// Past the mark FF FE when the file begins with it; a file without one is read from its first byte.
bool SkipByteOrderMark(FILE* file)
{
    wchar_t mark = 0;
    if (::fread(&mark, sizeof(mark), 1, file) == 1 && mark == L'\xFEFF')
        return true;
    return ::fseek(file, 0, SEEK_SET) == 0;
}
} // namespace

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
        if (!AppendToFile(kind, name, data, isNew))
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
        // Denying writers keeps a line from growing under the reader.
        KvCommon::UniqueStdioFile file(name.empty() ? nullptr : OpenForReading(name));
        if (!file)
            return RESULT_FAILED;
        // The file is read twice, counted and then cut into lines: large blocks, few system calls.
        ::setvbuf(file.get(), nullptr, _IOFBF, kStreamBufferBytes);
        if (!SkipByteOrderMark(file.get()))
            return RESULT_FAILED;
        std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[kLineBufferChars]);
        if (!buffer)
        {
            KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"Out of Memory");
            return RESULT_FAILED;
        }

        // One growth for the whole day: a list grown by doubling copies every record read so far.
        size_t lineEnds = 0;
        if (!LogLineReader::CountLineEnds(file.get(), buffer.get(), kLineBufferChars, lineEnds))
            return RESULT_FAILED;
        const RecordRoom room = reserve(query, lineEnds);
        PageToucher toucher(room.begin, room.bytes);
        m_pageToucher = &toucher;
        struct Unlend // the toucher lives only as long as this read
        {
            PageToucher*& slot;
            ~Unlend() { slot = nullptr; }
        } unlend{m_pageToucher};
        LogLineReader reader(file.get(), buffer.get(), kLineBufferChars);
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
    auto append = [&](size_t from, size_t to)
    {
        if (count < m_vecFields.size())
            m_vecFields[count].assign(text + from, to - from);
        else
            m_vecFields.emplace_back(text + from, to - from);
        ++count;
    };
    bool separated = false;
    size_t start = 0;
    for (size_t p = 0; p < size; ++p)
    {
        p = static_cast<size_t>(LogScan::FindAny(text + p, text + size, L'|', L'|', L'|') - text);
        if (p == size)
            break;
        separated = true;
        if (p > 0)
            append(start, p);
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

std::wstring CLogBase::MakeTimePrefix(const SYSTEMTIME& now)
{
    std::wstring prefix;
    KvCommon::String::Format(prefix, L"%04d%02d%02d%s%02d%02d%02d%s", now.wYear, now.wMonth, now.wDay, L"|",
                             now.wHour, now.wMinute, now.wSecond, L"|");
    if (prefix.size() > 31)
        prefix.resize(31);
    return prefix;
}

std::wstring CLogBase::FormatDate(const SYSTEMTIME& now)
{
    std::wstring date;
    KvCommon::String::Format(date, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    if (date.size() > 11)
        date.resize(11);
    return date;
}

std::wstring CLogBase::FormatTime(const SYSTEMTIME& now)
{
    std::wstring time;
    KvCommon::String::Format(time, L"%02d%02d%02d", now.wHour, now.wMinute, now.wSecond);
    if (time.size() > 11)
        time.resize(11);
    return time;
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

#include "DayAppend.h"

#include "DayLineRules.h"
#include "DaySeal.h"
#include "KindTrace.h"
#include "KvComn_FileBase.h"
#include "KvComn_SecurityAttributes.h"
#include "KvComn_SharingRetry.h"
#include "LogKindInfo.h"

namespace
{
using KvCommon::Storage::FileBase;

// Opens the day for appending, waiting out other writers. A day whose deletion is pending gives its name to
// a new file once its last reader closes it.
bool OpenDay(const LogKindInfo& kind, FileBase& file)
{
    KvCommon::AccessControl::SecurityAttributes attributes;
    DWORD error = 0;
    using KvCommon::Storage::SharingRetry;
    if (SharingRetry::Run([&](DWORD& e) { return file.Open(attributes, &e); }, error, SharingRetry::kBoundMs,
                          SharingRetry::Also::Deletion))
        return true;
    KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Open() failed: 0x%08X", error);
    return false;
}

// The last whole unit of a file of length bytes, where the reader's last line ends or not; 0 for a file of
// none or of an odd length, whose repair needs no look.
bool ReadLastUnit(FileBase& file, LONGLONG length, wchar_t& last, DWORD& error)
{
    last = 0;
    if (length < 2 || length % 2 != 0)
        return true;
    DWORD read = 0;
    return file.ReadAt(length - 2, &last, sizeof(last), read, &error);
}

// The file's length, with the file pointer at its end, and the repair its end needs.
bool FindEnd(const LogKindInfo& kind, FileBase& file, LONGLONG& length, DayAppend::EndRepair& repair)
{
    DWORD error = 0;
    if (!file.SetFilePointer(0, FILE_END, &error, &length))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"*** FileBase::SetFilePointer() failed: 0x%08x",
                   error);
        return false;
    }
    wchar_t last = 0;
    if (!ReadLastUnit(file, length, last, error))
    {
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::ReadAt() failed: 0x%08X", error);
        return false;
    }
    repair = DayAppend::RepairFor(length, last);
    return true;
}

// Cuts the file back to its length before the append: a part of a line left behind would glue itself to the
// next event's line, and an event is stored sealed or not at all.
void TakeBack(const LogKindInfo& kind, FileBase& file, LONGLONG length)
{
    DWORD error = 0;
    if (!file.Truncate(length, &error))
        KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Truncate() failed: 0x%08X", error);
}

// A repair goes out in the same write as the event; a healthy file's append copies nothing.
bool WriteRepaired(const LogKindInfo& kind, FileBase& file, LONGLONG length,
                   const DayAppend::EndRepair& repair, const char* line, size_t lineBytes)
{
    std::string repaired;
    if (repair.size > 0)
        repaired.assign(repair.bytes, repair.size).append(line, lineBytes);
    const char* bytes = repaired.empty() ? line : repaired.data();
    const size_t size = repaired.empty() ? lineBytes : repaired.size();
    DWORD error = 0;
    if (file.Write(bytes, static_cast<DWORD>(size), &error))
        return true;
    KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"FileBase::Write(Data) failed: 0x%08X", error);
    TakeBack(kind, file, length);
    return false;
}

// The event's bytes sealed while this writer still holds the day file, so seals follow the lines' order. On a
// failure the line is taken back.
bool SealAppended(const LogKindInfo& kind, FileBase& file, const std::wstring& folder,
                  const std::wstring& name, LONGLONG length, const DayAppend::EndRepair& repair,
                  const char* line, size_t lineBytes)
{
    DWORD error = 0;
    if (CDaySeal::Seal(folder, name.substr(folder.size()), static_cast<ULONGLONG>(length) + repair.size, line,
                       lineBytes, length == 0, error))
        return true;
    KIND_TRACE(kind, KvCommon::TraceLevel::Error, L"%s::WriteLog() could not seal its event: 0x%08X",
               kind.className, error);
    TakeBack(kind, file, length);
    return false;
}
} // namespace

DayAppend::EndRepair DayAppend::RepairFor(LONGLONG length, wchar_t last)
{
    // A crash in the middle of an append, or a disk that lost a write's tail, leaves such an end; a line
    // glued onto it would be lost with it.
    if (length == 0)
        return {};
    if (length % 2 != 0)
        return {"\0\r\0\n\0", 5, L"half a character"};
    if (DayLineRules::LineBeginsAfter(last, static_cast<ULONGLONG>(length) / 2 - 1))
        return {};
    return {"\r\0\n\0", 4, L"a line without its end"};
}

bool DayAppend::Append(const LogKindInfo& kind, const std::wstring& name, const std::wstring& data,
                       bool& isNew, const std::wstring* sealFolder)
{
    FileBase file(name);
    LONGLONG length = 0;
    EndRepair repair;
    if (!OpenDay(kind, file) || !FindEnd(kind, file, length, repair))
        return false;
    isNew = length == 0;
    const size_t skip = isNew ? 0 : 1;
    const char* line = reinterpret_cast<const char*>(data.c_str() + skip);
    const size_t lineBytes = (data.size() - skip) * sizeof(wchar_t);
    if (!WriteRepaired(kind, file, length, repair, line, lineBytes))
        return false;
    if (sealFolder && !SealAppended(kind, file, *sealFolder, name, length, repair, line, lineBytes))
        return false;
    file.Close();
    if (repair.reason)
        KIND_TRACE(kind, KvCommon::TraceLevel::Error,
                   L"%s::WriteLog() ended the damaged last line of %s (%s) before the event", kind.className,
                   name.c_str(), repair.reason);
    return true;
}

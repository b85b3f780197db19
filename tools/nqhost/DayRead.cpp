#include "DayRead.h"

#include "Text.h"

#include "KvCommon/KvComn_Handle.h"

namespace NqHost
{
namespace DayRead
{
size_t CountLines(const std::wstring& path)
{
    // Shares writing, as the reader does; a line appended meanwhile is a record more, never a damaged one.
    KvCommon::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return 0;
    std::vector<wchar_t> buffer(1 << 16);
    size_t lines = 0, units = 0;
    wchar_t previous = 0, last = 0;
    bool first = true;
    DWORD read = 0;
    while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), &read,
                    nullptr) &&
           read >= sizeof(wchar_t))
    {
        const size_t count = read / sizeof(wchar_t);
        for (size_t i = first && buffer[0] == 0xFEFF ? 1 : 0; i < count; ++i)
        {
            lines += previous == L'\r' && buffer[i] == L'\n';
            previous = buffer[i];
            ++units;
        }
        first = false;
        last = buffer[count - 1];
    }
    return lines + (units && last != L'\n' ? 1 : 0);
}

ULONG Read(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day, const std::wstring& path,
           const RecordSink& sink, size_t& skipped)
{
    const size_t lines = CountLines(path);
    size_t records = 0;
    ULONG result = kind.Read(context.host.Provider(), day,
                             [&](const SYSTEMTIME& time, const std::vector<Cell>& fields)
                             {
                                 ++records;
                                 sink(time, fields);
                             });
    skipped = SrvFrwk::Failed(result) || records >= lines ? 0 : lines - records;
    return result;
}

void ReportSkipped(CommandContext& context, const CRecordKind& kind, const SYSTEMTIME& day,
                   const std::wstring& path, size_t skipped)
{
    if (skipped == 0)
        return;
    context.output.Damaged(kind.Name(), Text::DateText(day), path, skipped);
}
} // namespace DayRead
} // namespace NqHost

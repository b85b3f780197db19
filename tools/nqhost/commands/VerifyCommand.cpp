// verify: every line of the day files in range against its seal, with the verification key.
#include "Commands.h"

#include "DayFileCheck.h"
#include "DayWalk.h"
#include "LogKindTable.h"
#include "ResultCodes.h"
#include "SealVerifier.h"
#include "Text.h"
#include "UsageError.h"

#include <set>

namespace NqHost
{
namespace Commands
{
namespace
{
std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

void Say(CommandContext& context, const wchar_t* table, const std::vector<CSealVerifier::Finding>& findings)
{
    std::vector<std::vector<Cell>> rows;
    for (const auto& f : findings)
        rows.push_back({Cell::Text(f.path),
                        Cell::Number(static_cast<long long>(f.line), std::to_wstring(f.line)),
                        Cell::Text(f.text)});
    if (context.output.Json())
        context.output.Table(table, {L"path", L"line", L"problem"}, rows);
    else
        for (const auto& row : rows)
            context.output.Message(row[0].text + (row[1].number ? L":" + row[1].text : L"") + L": " +
                                   row[2].text);
}
} // namespace

void Verify(CommandContext& context, const CommandArgs& args)
{
    const CCommandLine& line = context.line;
    if (!line.Has(L"verify-key") || line.Option(L"verify-key").empty())
        throw UsageError{L"verify needs --verify-key FILE: the key that seal init wrote"};
    const std::vector<const CRecordKind*> kinds = ParseKinds(args);
    CDayWalk walk(kinds);
    if (!walk.Prepare(context))
        return;
    walk.SetRange(line);
    if (!walk.Usable(context.output))
        return;
    SealKey key;
    std::wstring why;
    if (!key.Read(line.Option(L"verify-key"), why))
    {
        context.output.Failure(why);
        return;
    }
    CSealVerifier verifier(walk.Folder(), key);
    size_t days = 0;
    if (verifier.ReadJournal())
    {
        walk.ForEachFile(
            [&](const SYSTEMTIME& day, size_t, const CRecordKind&, const std::wstring& path)
            {
                std::vector<BYTE> bytes;
                DWORD error = 0;
                if (!CDayFileCheck::ReadBytes(path, bytes, error))
                {
                    context.output.Failure(L"cannot read " + path + L": " + ResultCodes::Describe(error));
                    return true;
                }
                ++days;
                verifier.CheckDay(FileName(path), Text::DayKey(day), bytes);
                return true;
            });
        std::set<std::wstring> extensions;
        for (const CRecordKind* kind : kinds)
            if (const Norquill::LogKindRow* row = Norquill::FindLogType(kind->LogType()))
                extensions.insert(row->extension);
        const DWORD first = Text::DayKey(walk.First()), last = Text::DayKey(walk.Last());
        verifier.CheckGone(
            [&](const std::wstring& name)
            {
                const DWORD day = static_cast<DWORD>(_wtoi(name.c_str()));
                return name.size() > 9 && extensions.count(name.substr(9)) && day >= first && day <= last;
            });
    }
    context.output.Value(L"day_files", static_cast<long long>(days));
    Say(context, L"unsealed", verifier.Unsealed());
    Say(context, L"problems", verifier.Problems());
    if (!verifier.Problems().empty())
        context.output.Failure(Text::Format(L"%llu problems: the logs are not as they were sealed",
                                            static_cast<unsigned long long>(verifier.Problems().size())));
    else
        context.output.Message(
            Text::Format(L"%llu day files, every sealed line intact", static_cast<unsigned long long>(days)));
}
} // namespace Commands
} // namespace NqHost

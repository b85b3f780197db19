// check: which day files are damaged, and where, before anyone trusts what they hold.
#include "Commands.h"

#include "DayFileCheck.h"
#include "DayWalk.h"
#include "ResultCodes.h"
#include "Text.h"

#include "KvCommon/KvComn_Handle.h"

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
} // namespace

void Check(CommandContext& context, const CommandArgs& args)
{
    CDayWalk walk(ParseKinds(args));
    if (!walk.Prepare(context))
        return;
    walk.SetRange(context.line);
    if (!walk.Usable(context.output))
        return;
    std::vector<std::vector<Cell>> files, problems;
    size_t damaged = 0;
    walk.ForEachFile(
        [&](const SYSTEMTIME& day, size_t, const CRecordKind& kind, const std::wstring& path)
        {
            std::vector<BYTE> bytes;
            DWORD error = 0;
            if (!CDayFileCheck::ReadBytes(path, bytes, error))
            {
                context.output.Failure(L"cannot read " + path + L": " + ResultCodes::Describe(error));
                return true;
            }
            CDayFileCheck check(bytes, kind.Name());
            damaged += check.Problems().empty() ? 0 : 1;
            files.push_back(
                {Cell::Text(FileName(path)), Cell::Text(kind.Name()), Cell::Text(Text::DateText(day)),
                 Cell::Number(static_cast<long long>(check.Lines()), std::to_wstring(check.Lines())),
                 Cell::Number(static_cast<long long>(check.Problems().size()),
                              check.Problems().empty() ? L"clean"
                                                       : std::to_wstring(check.Problems().size()))});
            for (const DayFileProblem& problem : check.Problems())
                problems.push_back(
                    {Cell::Text(path),
                     Cell::Number(static_cast<long long>(problem.line), std::to_wstring(problem.line)),
                     Cell::Text(problem.text)});
            return true;
        });
    walk.Report(context.output);
    context.output.Table(L"files", {L"file", L"kind", L"day", L"lines", L"problems"}, files);
    // Whole problem texts, one a line, as compilers name a file and line.
    if (context.output.Json())
        context.output.Table(L"problems", {L"path", L"line", L"problem"}, problems);
    else
        for (const auto& problem : problems)
            context.output.Message(problem[0].text + L":" + problem[1].text + L": " + problem[2].text);
    if (!walk.Misnamed().empty())
        context.output.Failure(Text::Format(L"%llu files are named like day files but are no day",
                                            static_cast<unsigned long long>(walk.Misnamed().size())));
    if (damaged)
        context.output.Failure(Text::Format(L"damage found in %llu of %llu day files",
                                            static_cast<unsigned long long>(damaged),
                                            static_cast<unsigned long long>(files.size())));
    else if (walk.Misnamed().empty())
        context.output.Message(
            Text::Format(L"%llu day files, all clean", static_cast<unsigned long long>(files.size())));
}
} // namespace Commands
} // namespace NqHost

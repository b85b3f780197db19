// COutput: results, values, tables and warnings for a person on the console, or one JSON document written
// at the end with --json; texts from outside shown escaped.
#include "Output.h"

#include "ResultCodes.h"
#include "Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace NqHost
{
namespace
{
// Long texts keep a table readable on a console; files, pipes and --wide get them whole.
constexpr size_t kMaxCellWidth = 60;

bool IsConsole(DWORD stdHandle)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stdHandle), &mode) != FALSE;
}

nlohmann::ordered_json JsonText(const std::wstring& text)
{
    return Text::ToUtf8(text);
}

std::wstring Pad(const std::wstring& text, size_t width)
{
    return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

void WriteBytes(DWORD stdHandle, const std::string& bytes)
{
    HANDLE handle = GetStdHandle(stdHandle);
    DWORD written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && !bytes.empty())
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
} // namespace

// The console is shared with the shell that started nqhost: its code page is put back on exit.
COutput::COutput(bool json, bool wide)
    : m_json(json), m_cutCells(!wide && IsConsole(STD_OUTPUT_HANDLE)),
      m_consoleCodePage(GetConsoleOutputCP()),
      m_root(std::make_unique<nlohmann::ordered_json>(nlohmann::ordered_json::object()))
{
    if (m_consoleCodePage)
        SetConsoleOutputCP(CP_UTF8);
}

COutput::~COutput()
{
    if (m_consoleCodePage)
        SetConsoleOutputCP(m_consoleCodePage);
}

// Shown escaped, so that a text from outside cannot act on the terminal or break the table's lines.
std::wstring COutput::Clip(const std::wstring& raw, bool eventText) const
{
    const std::wstring text = eventText ? Text::VisibleText(raw) : Text::Visible(raw);
    if (!m_cutCells || text.size() <= kMaxCellWidth)
        return text;
    return text.substr(0, kMaxCellWidth - 3) + L"...";
}

void COutput::SetCommand(const std::wstring& command)
{
    (*m_root)["command"] = JsonText(command);
}

nlohmann::ordered_json& COutput::Current()
{
    return m_steps ? (*m_root)["steps"].back() : *m_root;
}

nlohmann::ordered_json& COutput::List(const char* name)
{
    nlohmann::ordered_json& list = Current()[name];
    if (!list.is_array())
        list = nlohmann::ordered_json::array();
    return list;
}

void COutput::Message(const std::wstring& text)
{
    if (m_json)
        List("messages").push_back(JsonText(text));
    else
        WriteOut(text + L"\n");
}

void COutput::Result(const std::wstring& operation, ULONG code)
{
    bool failed = ResultCodes::IsFailure(code);
    m_failed = m_failed || failed;
    if (m_json)
    {
        List("results").push_back({{"operation", JsonText(operation)},
                                   {"code", code},
                                   {"hex", JsonText(Text::Format(L"0x%08X", code))},
                                   {"name", JsonText(ResultCodes::Name(code))},
                                   {"failed", failed}});
        return;
    }
    WriteOut(operation + L": " + ResultCodes::Describe(code) + L"\n");
}

void COutput::Value(const std::wstring& name, const std::wstring& text)
{
    if (m_json)
        Current()["values"][Text::ToUtf8(name)] = JsonText(text);
    else
        WriteOut(L"  " + name + L": " + Text::Visible(text) + L"\n");
}

void COutput::Value(const std::wstring& name, long long number)
{
    if (m_json)
        Current()["values"][Text::ToUtf8(name)] = number;
    else
        WriteOut(Text::Format(L"  %s: %lld\n", name.c_str(), number));
}

void COutput::Table(const std::wstring& name, const std::vector<std::wstring>& columns,
                    const std::vector<std::vector<Cell>>& rows, bool eventTexts)
{
    if (m_json)
    {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const auto& row : rows)
        {
            nlohmann::ordered_json record = nlohmann::ordered_json::object();
            for (size_t i = 0; i < columns.size() && i < row.size(); ++i)
                record[Text::ToUtf8(columns[i])] =
                    row[i].numeric ? nlohmann::ordered_json(row[i].number) : JsonText(row[i].text);
            list.push_back(std::move(record));
        }
        Current()[Text::ToUtf8(name)] = std::move(list);
        return;
    }
    std::vector<size_t> widths;
    for (const auto& column : columns)
        widths.push_back(column.size());
    for (const auto& row : rows)
        for (size_t i = 0; i < widths.size() && i < row.size(); ++i)
            widths[i] = std::max(widths[i], Clip(row[i].text, eventTexts).size());
    auto line = [&](const std::vector<std::wstring>& cells)
    {
        std::wstring text = L" ";
        for (size_t i = 0; i < widths.size(); ++i)
            text += L" " + Pad(i < cells.size() ? cells[i] : L"", widths[i]);
        while (!text.empty() && text.back() == L' ')
            text.pop_back();
        WriteOut(text + L"\n");
    };
    line(columns);
    std::vector<std::wstring> rule;
    for (size_t width : widths)
        rule.push_back(std::wstring(width, L'-'));
    line(rule);
    if (rows.empty())
        WriteOut(L"  (none)\n");
    for (const auto& row : rows)
    {
        std::vector<std::wstring> cells;
        for (const auto& cell : row)
            cells.push_back(Clip(cell.text, eventTexts));
        line(cells);
    }
}

void COutput::Objects(const std::wstring& name,
                      const std::vector<std::vector<std::pair<std::wstring, Cell>>>& objects)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& object : objects)
    {
        nlohmann::ordered_json record = nlohmann::ordered_json::object();
        for (const auto& member : object)
            record[Text::ToUtf8(member.first)] = member.second.numeric
                                                     ? nlohmann::ordered_json(member.second.number)
                                                     : JsonText(member.second.text);
        list.push_back(std::move(record));
    }
    Current()[Text::ToUtf8(name)] = std::move(list);
}

void COutput::HostCall(const std::wstring& who, const std::wstring& call, const std::wstring& meaning)
{
    if (m_json)
    {
        List("hostCalls")
            .push_back({{"from", JsonText(who)}, {"call", JsonText(call)}, {"meaning", JsonText(meaning)}});
        return;
    }
    WriteOut(who + L": " + call + L" -- " + meaning + L"\n");
}

void COutput::BeginStep(const std::wstring& title)
{
    if (m_json)
    {
        (*m_root)["steps"].push_back({{"step", m_steps + 1}, {"title", JsonText(title)}});
        ++m_steps;
        return;
    }
    ++m_steps;
    WriteOut(Text::Format(L"\n== %d. %s ==\n", m_steps, title.c_str()));
}

void COutput::Damaged(const std::wstring& kind, const std::wstring& day, const std::wstring& path,
                      size_t lines)
{
    if (m_json)
        List("damagedLines")
            .push_back({{"kind", JsonText(kind)},
                        {"day", JsonText(day)},
                        {"path", JsonText(path)},
                        {"skipped", lines}});
    else
        WriteErr(
            Text::Format(L"nqhost: %llu damaged lines skipped in %s (%s of %s; 'nqhost check' names them)\n",
                         static_cast<unsigned long long>(lines), path.c_str(), kind.c_str(), day.c_str()));
}

void COutput::Warning(const std::wstring& text)
{
    if (m_json)
        List("warnings").push_back(JsonText(text));
    else
        WriteErr(L"nqhost: warning: " + text + L"\n");
}

void COutput::Failure(const std::wstring& text)
{
    m_failed = true;
    if (m_json)
        List("errors").push_back(JsonText(text));
    else
        WriteErr(L"nqhost: " + text + L"\n");
}

void COutput::UsageError(const std::wstring& message, const std::wstring& hint)
{
    m_usageError = true;
    if (m_json)
        (*m_root)["usageError"] = JsonText(message);
    else
        WriteErr(L"nqhost: " + message + L"\n" + hint + L"\n");
}

void COutput::Help(const std::wstring& text)
{
    if (m_json)
        (*m_root)["help"] = JsonText(text);
    else
        WriteOut(text);
}

int COutput::Finish()
{
    int exitCode = m_usageError ? 2 : m_failed ? 1 : 0;
    if (m_json)
    {
        (*m_root)["exitCode"] = exitCode;
        WriteBytes(m_reportToStderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE,
                   m_root->dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
    }
    return exitCode;
}

// Every text line goes out with its control characters escaped, whatever it quotes.
void COutput::WriteOut(const std::wstring& text) const
{
    WriteBytes(m_reportToStderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE,
               Text::ToUtf8(Text::Visible(text, true)));
}

void COutput::WriteErr(const std::wstring& text) const
{
    WriteBytes(STD_ERROR_HANDLE, Text::ToUtf8(Text::Visible(text, true)));
}
} // namespace NqHost

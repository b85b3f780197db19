#include "Output.h"

#include "ResultCodes.h"
#include "Text.h"

#include <algorithm>

namespace NqHost
{
namespace
{
// Long texts keep a table readable; --json carries them whole.
constexpr size_t kMaxCellWidth = 60;

std::wstring Clip(const std::wstring& text)
{
    if (text.size() <= kMaxCellWidth)
        return text;
    return text.substr(0, kMaxCellWidth - 3) + L"...";
}

std::wstring Pad(const std::wstring& text, size_t width)
{
    return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

void WriteUtf8(DWORD stdHandle, const std::wstring& text)
{
    std::string bytes = Text::ToUtf8(text);
    HANDLE handle = GetStdHandle(stdHandle);
    DWORD written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && !bytes.empty())
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
} // namespace

// The console is shared with the shell that started nqhost: its code page is put back on exit.
COutput::COutput(bool json) : m_json(json), m_consoleCodePage(GetConsoleOutputCP())
{
    if (m_consoleCodePage)
        SetConsoleOutputCP(CP_UTF8);
}

COutput::~COutput()
{
    if (m_consoleCodePage)
        SetConsoleOutputCP(m_consoleCodePage);
}

void COutput::SetCommand(const std::wstring& command)
{
    m_root.Set(L"command", JsonValue::String(command));
}

JsonValue& COutput::Current()
{
    return m_step ? *m_step : m_root;
}

void COutput::Message(const std::wstring& text)
{
    if (m_json)
        Current().Member(L"messages", JsonValue::Kind::Array).Push(JsonValue::String(text));
    else
        WriteOut(text + L"\n");
}

void COutput::Result(const std::wstring& operation, ULONG code)
{
    bool failed = ResultCodes::IsFailure(code);
    m_failed = m_failed || failed;
    if (m_json)
    {
        JsonValue entry = JsonValue::Object();
        entry.Set(L"operation", JsonValue::String(operation));
        entry.Set(L"code", JsonValue::Number(code));
        entry.Set(L"hex", JsonValue::String(Text::Format(L"0x%08X", code)));
        entry.Set(L"name", JsonValue::String(ResultCodes::Name(code)));
        entry.Set(L"failed", JsonValue::Bool(failed));
        Current().Member(L"results", JsonValue::Kind::Array).Push(std::move(entry));
        return;
    }
    WriteOut(operation + L": " + ResultCodes::Describe(code) + L"\n");
}

void COutput::Value(const std::wstring& name, const std::wstring& text)
{
    if (m_json)
        Current().Member(L"values", JsonValue::Kind::Object).Set(name, JsonValue::String(text));
    else
        WriteOut(L"  " + name + L": " + text + L"\n");
}

void COutput::Value(const std::wstring& name, long long number)
{
    if (m_json)
        Current().Member(L"values", JsonValue::Kind::Object).Set(name, JsonValue::Number(number));
    else
        WriteOut(Text::Format(L"  %s: %lld\n", name.c_str(), number));
}

void COutput::Table(const std::wstring& name, const std::vector<std::wstring>& columns,
                    const std::vector<std::vector<Cell>>& rows)
{
    if (m_json)
    {
        JsonValue list = JsonValue::Array();
        for (const auto& row : rows)
        {
            JsonValue record = JsonValue::Object();
            for (size_t i = 0; i < columns.size() && i < row.size(); ++i)
                record.Set(columns[i], row[i].numeric ? JsonValue::Number(row[i].number)
                                                      : JsonValue::String(row[i].text));
            list.Push(std::move(record));
        }
        Current().Set(name, std::move(list));
        return;
    }
    std::vector<size_t> widths;
    for (const auto& column : columns)
        widths.push_back(column.size());
    for (const auto& row : rows)
        for (size_t i = 0; i < widths.size() && i < row.size(); ++i)
            widths[i] = std::max(widths[i], Clip(row[i].text).size());
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
            cells.push_back(Clip(cell.text));
        line(cells);
    }
}

void COutput::HostCall(const std::wstring& who, const std::wstring& call, const std::wstring& meaning)
{
    if (m_json)
    {
        JsonValue entry = JsonValue::Object();
        entry.Set(L"from", JsonValue::String(who));
        entry.Set(L"call", JsonValue::String(call));
        entry.Set(L"meaning", JsonValue::String(meaning));
        Current().Member(L"hostCalls", JsonValue::Kind::Array).Push(std::move(entry));
        return;
    }
    WriteOut(who + L": " + call + L" -- " + meaning + L"\n");
}

void COutput::BeginStep(const std::wstring& title)
{
    ++m_steps;
    if (m_json)
    {
        JsonValue step = JsonValue::Object();
        step.Set(L"step", JsonValue::Number(m_steps));
        step.Set(L"title", JsonValue::String(title));
        m_step = &m_root.Member(L"steps", JsonValue::Kind::Array).Push(std::move(step));
        return;
    }
    WriteOut(Text::Format(L"\n== %d. %s ==\n", m_steps, title.c_str()));
}

void COutput::Failure(const std::wstring& text)
{
    m_failed = true;
    if (m_json)
        Current().Member(L"errors", JsonValue::Kind::Array).Push(JsonValue::String(text));
    else
        WriteErr(L"nqhost: " + text + L"\n");
}

void COutput::UsageError(const std::wstring& message, const std::wstring& hint)
{
    m_usageError = true;
    if (m_json)
        m_root.Set(L"usageError", JsonValue::String(message));
    else
        WriteErr(L"nqhost: " + message + L"\n" + hint + L"\n");
}

void COutput::Help(const std::wstring& text)
{
    if (m_json)
        m_root.Set(L"help", JsonValue::String(text));
    else
        WriteOut(text);
}

int COutput::Finish()
{
    int exitCode = m_usageError ? 2 : m_failed ? 1 : 0;
    if (m_json)
    {
        m_root.Set(L"exitCode", JsonValue::Number(exitCode));
        WriteOut(m_root.Serialize() + L"\n");
    }
    return exitCode;
}

void COutput::WriteOut(const std::wstring& text) const
{
    WriteUtf8(STD_OUTPUT_HANDLE, text);
}

void COutput::WriteErr(const std::wstring& text) const
{
    WriteUtf8(STD_ERROR_HANDLE, text);
}
} // namespace NqHost

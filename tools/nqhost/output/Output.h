#pragma once
// Everything nqhost tells the person (or a script, with --json): results with their names, values,
// tables of records, and what the plug-in asked of the host's own objects.
#include <nlohmann/json_fwd.hpp>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace NqHost
{
struct Cell
{
    std::wstring text;
    bool numeric = false;
    long long number = 0;

    static Cell Text(const std::wstring& value) { return Cell{value, false, 0}; }
    static Cell Number(long long value, const std::wstring& shown) { return Cell{shown, true, value}; }
};

class COutput
{
public:
    // wide: table cells whole on a console too (elsewhere they always are).
    COutput(bool json, bool wide);
    ~COutput();
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    bool Json() const { return m_json; }
    void SetCommand(const std::wstring& command);
    // For commands whose standard output carries data: everything else goes to standard error.
    void ReportToStderr() { m_reportToStderr = true; }

    void Message(const std::wstring& text);
    // One call into the plug-in and what it returned; a negative code marks the run as failed.
    void Result(const std::wstring& operation, ULONG code);
    void Value(const std::wstring& name, const std::wstring& text);
    void Value(const std::wstring& name, long long number);
    // eventTexts: the cells are records' texts, whose backslashes are doubled so that no text passes for an
    // escape; nqhost's own values (paths, problems) keep theirs.
    void Table(const std::wstring& name, const std::vector<std::wstring>& columns,
               const std::vector<std::vector<Cell>>& rows, bool eventTexts = false);
    // Records whose fields differ from one to the next, each as its names and values (--json only).
    void Objects(const std::wstring& name,
                 const std::vector<std::vector<std::pair<std::wstring, Cell>>>& objects);
    // A call the plug-in made into the host's manager or controller.
    void HostCall(const std::wstring& who, const std::wstring& call, const std::wstring& meaning);
    // The demo's numbered steps; later output belongs to the step.
    void BeginStep(const std::wstring& title);
    // Lines of a day file the plug-in's reader skipped: standard error, or "damagedLines" in --json.
    void Damaged(const std::wstring& kind, const std::wstring& day, const std::wstring& path, size_t lines);
    // Something the person should know that is no failure: standard error, or "warnings" in --json.
    void Warning(const std::wstring& text);
    // Marks the run as failed without a plug-in result (e.g. the DLL did not load).
    void Failure(const std::wstring& text);
    void UsageError(const std::wstring& message, const std::wstring& hint);
    void Help(const std::wstring& text);

    bool Failed() const { return m_failed; }
    // The exit code of the run: 2 after a usage error, 1 after a failure, else 0. Writes the JSON document.
    int Finish();

private:
    std::wstring Clip(const std::wstring& raw, bool eventText) const;
    void WriteOut(const std::wstring& text) const;
    void WriteErr(const std::wstring& text) const;
    nlohmann::ordered_json& Current();
    nlohmann::ordered_json& List(const char* name);

    bool m_json;
    bool m_cutCells;
    UINT m_consoleCodePage;
    bool m_failed = false;
    bool m_usageError = false;
    bool m_reportToStderr = false;
    int m_steps = 0;
    // The --json document, written once at the end so that it is always complete.
    std::unique_ptr<nlohmann::ordered_json> m_root;
};
} // namespace NqHost

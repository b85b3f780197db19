#pragma once
// The words and options of one nqhost command line. Options may stand anywhere: "--name value",
// "--name=value" or a bare flag.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace NqHost
{
class CCommandLine
{
public:
    // Throws UsageError for an unknown option or a missing option value.
    explicit CCommandLine(const std::vector<std::wstring>& args);

    const std::vector<std::wstring>& Words() const { return m_words; }
    bool Has(const std::wstring& option) const { return m_options.count(option) != 0; }
    std::wstring Option(const std::wstring& option) const;
    // Every value of an option given more than once (--where), in order.
    std::vector<std::wstring> Options(const std::wstring& option) const;
    // Throws UsageError when an option is given that is not in the list (global ones always pass).
    void AllowOnly(const std::vector<std::wstring>& options, const std::wstring& command) const;

private:
    std::vector<std::wstring> m_words;
    std::map<std::wstring, std::wstring> m_options; // the last value of each
    std::multimap<std::wstring, std::wstring> m_allOptions;
};
// A day as a command line gives it, YYYY-MM-DD or "today"; a UsageError names any other text.
SYSTEMTIME ParseDay(const std::wstring& text);
} // namespace NqHost

// The command line cut into words and options: which options take a value, which are flags, which every
// command allows; a word out of place is a UsageError.
#include "CommandLine.h"

#include "Text.h"
#include "UsageError.h"

#include <algorithm>

namespace NqHost
{
namespace
{
const wchar_t* const kValueOptions[] = {
    L"dll",    L"days",  L"alert",       L"level",    L"folder",     L"from",  L"to",    L"format",
    L"output", L"lines", L"max-records", L"for",      L"jsonl",      L"where", L"match", L"schema",
    L"cursor", L"logs",  L"host",        L"timezone", L"verify-key", L"epoch"};
const wchar_t* const kFlags[] = {L"json",  L"help",    L"on",   L"off",  L"dry-run",
                                 L"unset", L"csv-raw", L"wide", L"force"};
const wchar_t* const kGlobal[] = {L"dll", L"json", L"help", L"wide"};

template <size_t N> bool Contains(const wchar_t* const (&list)[N], const std::wstring& name)
{
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}
} // namespace

CCommandLine::CCommandLine(const std::vector<std::wstring>& args)
{
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::wstring& arg = args[i];
        if (arg == L"-h" || arg == L"/?")
        {
            m_options[L"help"] = L"";
            continue;
        }
        if (arg.size() < 3 || arg.compare(0, 2, L"--") != 0)
        {
            m_words.push_back(arg);
            continue;
        }
        std::wstring name = arg.substr(2);
        std::wstring value;
        size_t equals = name.find(L'=');
        bool inlineValue = equals != std::wstring::npos;
        if (inlineValue)
        {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (Contains(kValueOptions, name))
        {
            if (!inlineValue)
            {
                if (i + 1 >= args.size())
                    throw UsageError{L"option --" + name + L" needs a value"};
                value = args[++i];
            }
            m_options[name] = value;
            m_allOptions.emplace(name, value);
        }
        else if (Contains(kFlags, name) && !inlineValue)
            m_options[name] = L"";
        else
            throw UsageError{L"unknown option '" + arg + L"'"};
    }
}

std::wstring CCommandLine::Option(const std::wstring& option) const
{
    auto it = m_options.find(option);
    return it == m_options.end() ? std::wstring() : it->second;
}

std::vector<std::wstring> CCommandLine::Options(const std::wstring& option) const
{
    std::vector<std::wstring> values;
    auto range = m_allOptions.equal_range(option);
    for (auto it = range.first; it != range.second; ++it)
        values.push_back(it->second);
    return values;
}

void CCommandLine::AllowOnly(const std::vector<std::wstring>& options, const std::wstring& command) const
{
    for (const auto& option : m_options)
    {
        if (Contains(kGlobal, option.first) ||
            std::find(options.begin(), options.end(), option.first) != options.end())
            continue;
        throw UsageError{L"option --" + option.first + L" does not apply to '" + command + L"'"};
    }
}

SYSTEMTIME ParseDay(const std::wstring& text)
{
    if (Text::EqualsNoCase(text, L"today"))
        return Text::Today();
    SYSTEMTIME day;
    if (Text::ParseDate(text, day))
        return day;
    if (text.size() == 10 && text[4] == L'-' && text[7] == L'-' &&
        text.find_first_not_of(L"0123456789-") == std::wstring::npos)
        throw UsageError{L"'" + text + L"' is no day of the calendar"};
    throw UsageError{L"'" + text + L"' is not a day of the form YYYY-MM-DD"};
}
} // namespace NqHost

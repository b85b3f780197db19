#pragma once
// How far earlier runs delivered each kind's day files: the count of records and the id of the last
// one, so a later run goes on after them and can tell a day file that was begun anew, and whether the
// day was read when no writer could still add to it. Kept in a file that is replaced whole, so a hard
// kill leaves the old cursor or the new one.
#include <windows.h>

#include <map>
#include <string>
#include <utility>

namespace NqHost
{
class CCursor
{
public:
    struct Entry
    {
        size_t count = 0;
        std::string lastId; // empty: not checked (none yet, or from before ids were made as now)
        bool whole = false;
    };

    // An empty path keeps the cursor in memory only.
    explicit CCursor(std::wstring path = L"") : m_path(std::move(path)) {}

    // A missing file is an empty cursor; false for an unreadable or damaged one, with the reason.
    bool Load(std::wstring& problem);
    // Writes a new file beside the old one and moves it over it; false with the Win32 code.
    bool Save(DWORD& error);
    bool Persistent() const { return !m_path.empty(); }
    bool Changed() const { return m_changed; }

    // The entry of the kind's day; count 0 when none.
    Entry At(const std::wstring& kind, DWORD day) const;
    bool Has(const std::wstring& kind, DWORD day) const { return m_entries.count({kind, day}) != 0; }
    void Set(const std::wstring& kind, DWORD day, Entry entry);
    // The latest day with an entry of the kind, 0 when none.
    DWORD LatestDay(const std::wstring& kind) const;
    // The earliest day of the kind that is not whole yet, else its latest; 0 when none.
    DWORD ResumeDay(const std::wstring& kind) const;

private:
    std::wstring m_path;
    std::map<std::pair<std::wstring, DWORD>, Entry> m_entries;
    bool m_changed = false;
};
} // namespace NqHost

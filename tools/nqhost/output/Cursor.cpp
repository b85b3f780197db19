// CCursor read from its file and written to a new one moved over it; a cursor of earlier runs
// ("nqhost-cursor 1") keeps its counts.
#include "Cursor.h"

#include "KvCommon/KvComn_Handle.h"
#include "Text.h"

#include <sstream>

namespace NqHost
{
namespace
{
const char kHeader[] = "nqhost-cursor 2";
// Ids then counted records: the counts hold, the last ids are unknown and no day is known whole yet.
const char kOldHeader[] = "nqhost-cursor 1";

bool ReadWhole(const std::wstring& path, std::string& bytes, DWORD& error)
{
    KvCommon::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        error = GetLastError();
        return false;
    }
    char block[65536];
    DWORD read = 0;
    BOOL ok = TRUE;
    while ((ok = ReadFile(file.get(), block, sizeof block, &read, nullptr)) && read > 0)
        bytes.append(block, read);
    error = ok ? 0 : GetLastError();
    return ok != FALSE;
}
} // namespace

bool CCursor::Load(std::wstring& problem)
{
    m_entries.clear();
    if (m_path.empty())
        return true;
    std::string bytes;
    DWORD error = 0;
    if (!ReadWhole(m_path, bytes, error))
    {
        if (error == ERROR_FILE_NOT_FOUND)
            return true;
        problem = Text::Format(L"cannot read the cursor %s (error %lu)", m_path.c_str(), error);
        return false;
    }
    std::istringstream lines(bytes);
    std::string line, kind;
    bool ended = false;
    size_t expected = 0;
    const bool headed = std::getline(lines, line) && (line == kHeader || line == kOldHeader);
    const bool old = line == kOldHeader;
    while (headed && !ended && std::getline(lines, line))
    {
        std::istringstream words(line);
        Entry entry;
        unsigned long day = 0;
        if (!(words >> kind))
            break;
        if (kind == "end")
            ended = static_cast<bool>(words >> expected);
        else if (words >> day >> entry.count >> entry.lastId && (old || words >> entry.whole))
        {
            if (entry.lastId == "-" || old)
                entry.lastId.clear();
            m_entries[{Text::FromUtf8(kind), day}] = entry;
        }
        else
            break;
    }
    // The last line counts the entries, so a cut file is seen as one.
    if (!ended || expected != m_entries.size())
    {
        m_entries.clear();
        problem = L"the cursor " + m_path + L" is damaged";
        return false;
    }
    return true;
}

bool CCursor::Save(DWORD& error)
{
    if (m_path.empty() || !m_changed)
        return true;
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [key, entry] : m_entries)
        text += Text::ToUtf8(key.first) + " " + std::to_string(key.second) + " " +
                std::to_string(entry.count) + " " + (entry.lastId.empty() ? std::string("-") : entry.lastId) +
                (entry.whole ? " 1\n" : " 0\n");
    text += "end " + std::to_string(m_entries.size()) + "\n";

    const std::wstring fresh = m_path + L".new";
    {
        KvCommon::UniqueFileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file ||
            !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(file.get()))
        {
            error = GetLastError();
            return false;
        }
    }
    if (!MoveFileExW(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        error = GetLastError();
        return false;
    }
    m_changed = false;
    return true;
}

CCursor::Entry CCursor::At(const std::wstring& kind, DWORD day) const
{
    auto found = m_entries.find({kind, day});
    return found == m_entries.end() ? Entry{} : found->second;
}

void CCursor::Set(const std::wstring& kind, DWORD day, Entry entry)
{
    m_entries[{kind, day}] = std::move(entry);
    m_changed = true;
}

DWORD CCursor::LatestDay(const std::wstring& kind) const
{
    DWORD latest = 0;
    for (const auto& [key, entry] : m_entries)
        if (key.first == kind && key.second > latest)
            latest = key.second;
    return latest;
}

DWORD CCursor::ResumeDay(const std::wstring& kind) const
{
    for (const auto& [key, entry] : m_entries)
        if (key.first == kind && !entry.whole)
            return key.second; // the map is in day order
    return LatestDay(kind);
}
} // namespace NqHost

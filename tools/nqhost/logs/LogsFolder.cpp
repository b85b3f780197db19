// CLogsFolder: --logs DIR set up as an installation of the run's own whose Log link leads to DIR, and taken
// down again after the run.
#include "LogsFolder.h"

#include "HostRegistry.h"
#include "LogLocation.h"
#include "ResultCodes.h"
#include "Text.h"

namespace NqHost
{
namespace
{
// Where the plug-in sees the day files, and what the person named; one run, one --logs.
std::wstring g_seen, g_named;
} // namespace

CLogsFolder::CLogsFolder(COutput& output, const std::wstring& folder)
{
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD size = GetFullPathNameW(folder.c_str(), MAX_PATH * 4, full, nullptr);
    m_folder = size && size < MAX_PATH * 4 ? full : folder;
    if (m_folder.empty() || m_folder.back() != L'\\')
        m_folder += L'\\';
    m_ready = CLogLocation::Usable(output, m_folder) && Install(output);
}

bool CLogsFolder::Install(COutput& output)
{
    const DWORD pid = GetCurrentProcessId();
    m_registry = std::make_unique<CRegistryRoot>(Text::Format(L"Software\\NorquillLogs\\%lu", pid));
    if (!m_registry->Active())
    {
        output.Failure(L"cannot make the run's own registry key HKCU\\" + m_registry->Path());
        return false;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring installation = Text::Format(L"%sNorquillLogs-%lu\\", temp, pid);
    if (!CreateDirectoryW(installation.c_str(), nullptr))
    {
        output.Failure(L"cannot make the folder " + installation + L": " +
                       ResultCodes::Describe(GetLastError()));
        return false;
    }
    m_installation = installation;
    const std::wstring link = installation + L"Log";
    DWORD error = 0;
    m_link = std::make_unique<CFolderLink>();
    if (!m_link->Create(link, m_folder.substr(0, m_folder.size() - 1), error))
    {
        output.Failure(L"cannot link " + link + L" to the log folder " + m_folder + L": " +
                       ResultCodes::Describe(error));
        return false;
    }
    const LONG status =
        HostRegistry::WriteString(HostRegistry::kInstallKey, L"InstalledFolder", installation);
    if (status != ERROR_SUCCESS)
    {
        output.Failure(L"cannot set the run's InstalledFolder: " + ResultCodes::Describe(status));
        return false;
    }
    g_seen = HostRegistry::LogFolder(installation);
    g_named = m_folder;
    return true;
}

CLogsFolder::~CLogsFolder()
{
    g_seen.clear();
    g_named.clear();
    if (m_installation.empty())
        return;
    m_link.reset(); // the link first, so that removing the folder can never reach DIR
    RemoveDirectoryW(m_installation.c_str());
}

std::wstring CLogsFolder::Shown(const std::wstring& path)
{
    if (g_seen.empty() || !Text::EqualsNoCase(path.substr(0, g_seen.size()), g_seen))
        return path;
    return g_named + path.substr(g_seen.size());
}
} // namespace NqHost

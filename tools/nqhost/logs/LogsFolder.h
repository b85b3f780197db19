#pragma once
// --logs DIR: for one run the plug-in reads and writes the day files of DIR, a folder of any name,
// through an installation of the run's own: a fresh registry seen as HKLM by this process only, whose
// InstalledFolder holds a link "Log" to DIR. Nothing of the installed suite's settings changes.
#include "FolderLink.h"
#include "Output.h"
#include "RegistryRoot.h"

#include <memory>
#include <string>

namespace NqHost
{
class CLogsFolder
{
public:
    // Made before the plug-in loads; a folder that cannot be used is reported and leaves Ready() false.
    CLogsFolder(COutput& output, const std::wstring& folder);
    ~CLogsFolder();
    CLogsFolder(const CLogsFolder&) = delete;
    CLogsFolder& operator=(const CLogsFolder&) = delete;

    bool Ready() const { return m_ready; }
    // A path of the plug-in's log folder as the person named it (unchanged without --logs).
    static std::wstring Shown(const std::wstring& path);

private:
    bool Install(COutput& output);

    std::wstring m_folder;       // DIR, full, ending in "\"
    std::wstring m_installation; // the run's own installation folder, ending in "\"
    std::unique_ptr<CRegistryRoot> m_registry;
    std::unique_ptr<CFolderLink> m_link;
    bool m_ready = false;
};
} // namespace NqHost

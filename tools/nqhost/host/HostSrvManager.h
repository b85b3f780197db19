#pragma once
// The host's service manager as the plug-in's service sees it: hands out an enforce handler on request
// and tells the person what was asked.
#include "Output.h"
#include "SrvFrwk_Interface.h"

namespace NqHost
{
class CHostSrvManager : public SrvFrwk::Interface::ISrvManager
{
public:
    explicit CHostSrvManager(COutput& output) : m_output(output) {}

    ULONG Reserved0() override;
    ULONG GetIFrameworkServiceInterface(void** ppInterface, ULONG ulCode1, ULONG ulCode2, ULONG ulArg,
                                        ULONG_PTR ulpArg) override;

private:
    COutput& m_output;
    // What the manager hands out as the enforce handler; the service only keeps the pointer.
    int m_enforceHandler = 0;
};
} // namespace NqHost

#pragma once
// The host's controller as the provider sees it: only the report notification is expected; anything
// else is shown as unexpected.
#include "Output.h"
#include "SrvFrwk_Interface.h"

namespace NqHost
{
class CHostController : public SrvFrwk::Interface::IEnforceController
{
public:
    explicit CHostController(COutput& output) : m_output(output) {}

    ULONG Reserved0() override { return Unexpected(0); }
    ULONG Reserved1() override { return Unexpected(1); }
    ULONG Reserved2() override { return Unexpected(2); }
    ULONG Reserved3() override { return Unexpected(3); }
    ULONG Reserved4() override { return Unexpected(4); }
    ULONG Reserved5() override { return Unexpected(5); }
    ULONG Reserved6() override { return Unexpected(6); }
    ULONG Reserved7() override { return Unexpected(7); }
    ULONG Reserved8() override { return Unexpected(8); }
    ULONG Reserved9() override { return Unexpected(9); }
    ULONG NotifySessionAgent(ULONG ulType, ULONG ulSubType, ULONG ulOption, ULONG_PTR ulpReserved,
                             void* pScratch16, ULONG ulProviderType, ULONG ulReserved,
                             ULONG_PTR ulpReserved2) override;

    int Notifications() const { return m_notifications; }

private:
    ULONG Unexpected(int entry);

    COutput& m_output;
    int m_notifications = 0;
};
} // namespace NqHost

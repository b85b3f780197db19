#pragma once
#include "KvComn_Exception.h"

#include <windows.h>
#include <memory>
#include <vector>

namespace KvCommon
{
namespace AccessControl
{
class Exception : public KvCommon::Exception::Base
{
public:
    Exception(DWORD code, DWORD rawError, const char* file, DWORD line)
        : Base(code, file, line), m_dwRawError(rawError)
    {
    }
    DWORD GetRawError() const { return m_dwRawError; }

private:
    DWORD m_dwRawError;
};

constexpr DWORD KindNone = 18;
constexpr DWORD KindRegistryKey = 4;
constexpr DWORD KindMutexWaitQuery = 11;

// The seven access masks of a kind, in ACE order (Administrators, Power Users, LocalSystem,
// Authenticated Users, Users, Interactive, Creator Owner). False for a kind without a table.
bool GetAccessMasks(DWORD kind, DWORD masks[7]);

// SECURITY_ATTRIBUTES whose DACL grants fixed rights to seven well-known groups, chosen by object kind.
// A kind without a table, or a failing security call, leaves it unbuilt: the object then gets the
// default security.
class SecurityAttributes
{
public:
    SecurityAttributes(); // kind 18: nothing built
    SecurityAttributes(const DWORD& kind, const bool& inheritable);
    SecurityAttributes(const SecurityAttributes&) = delete;
    SecurityAttributes& operator=(const SecurityAttributes&) = delete;
    virtual ~SecurityAttributes();

    // What a creator passes to the Win32 call: null for kind 18, else the attributes (without a
    // descriptor when the build failed).
    SECURITY_ATTRIBUTES* Get();
    bool IsBuilt() const { return m_attributes.nLength != 0; }
    DWORD GetKind() const { return m_dwKind; }

private:
    void Build(); // throws AccessControl::Exception*

    SECURITY_ATTRIBUTES m_attributes{};
    std::unique_ptr<SECURITY_DESCRIPTOR> m_pDescriptor;
    std::vector<BYTE> m_acl;
    DWORD m_dwKind;
    bool m_bInheritable;
};

// Whether the calling thread's token is a member of LocalSystem. True when the check itself worked.
bool IsLocalSystem(bool& isMember);
} // namespace AccessControl
} // namespace KvCommon

#include "KvComn_SecurityAttributes.h"
#include "KvComn_Handle.h"
#include "KvComn_Library.h"
#include "KvComn_System.h"

#include <memory>

namespace KvCommon
{
namespace AccessControl
{
namespace
{
constexpr size_t kGroups = 7;

struct SidSpec
{
    SID_IDENTIFIER_AUTHORITY authority;
    BYTE count;
    DWORD sub0;
    DWORD sub1;
};

// ACE order: Administrators, Power Users, LocalSystem, Authenticated Users, Users, Interactive,
// Creator Owner.
const SidSpec kGroupSids[kGroups] = {
    {SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS},
    {SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_POWER_USERS},
    {SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID, 0},
    {SECURITY_NT_AUTHORITY, 1, SECURITY_AUTHENTICATED_USER_RID, 0},
    {SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS},
    {SECURITY_NT_AUTHORITY, 1, SECURITY_INTERACTIVE_RID, 0},
    {SECURITY_CREATOR_SID_AUTHORITY, 1, SECURITY_CREATOR_OWNER_RID, 0},
};

struct KindMasks
{
    DWORD kind;
    DWORD masks[kGroups];
};

const KindMasks kRights[] = {
    {0, {0x13013F, 0x12002F, 0x13013F, 0x120029, 0x120029, 0x120029, 0x1F01FF}},
    {1, {0x1100C7, 0x100087, 0x1100C7, 0x100081, 0x100081, 0x100081, 0x1F01FF}},
    {2, {0x101F7, 0x18D, 0x1F5, 0x185, 0x185, 0x185, 0xF01FF}},
    {4, {0x1003F, 0x3F, 0x1003F, 0x20009, 0x20009, 0x20009, 0xF003F}},
    {5, {0x100FFB, 0x100E92, 0x100FFB, 0x100410, 0x100410, 0x100410, 0x1F0FFF}},
    {6, {0x1000FB, 0x10006A, 0x1000FB, 0x100048, 0x100048, 0x100048, 0x1F03FB}},
    {9, {0x100002, 0x100002, 0x100002, 0x100002, 0x100002, 0x100002, 0x100002}},
    {10, {0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003, 0x1F0003}},
    {11, {0x100001, 0x100001, 0x100001, 0x100001, 0x100001, 0x100001, 0x100001}},
    {12, {0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001, 0x1F0001}},
};

struct SidDeleter
{
    void operator()(void* sid) const { ::FreeSid(sid); }
};
using UniqueSid = std::unique_ptr<void, SidDeleter>;

DWORD ToHResult(DWORD error)
{
    const LONG value = static_cast<LONG>(error);
    return value > 0 ? (0x80070000u | (error & 0xFFFF)) : error;
}

[[noreturn]] void ThrowSecurityError(DWORD error, DWORD line)
{
    throw new Exception(ToHResult(error), error, KV_SOURCE_FILE, line);
}

#define KV_CHECK_SECURITY(call)                                                                              \
    do                                                                                                       \
    {                                                                                                        \
        if (!(call))                                                                                         \
            ThrowSecurityError(::GetLastError(), __LINE__);                                                  \
    } while (0)

UniqueSid MakeSid(const SidSpec& group)
{
    SID_IDENTIFIER_AUTHORITY authority = group.authority;
    PSID sid = nullptr;
    KV_CHECK_SECURITY(
        ::AllocateAndInitializeSid(&authority, group.count, group.sub0, group.sub1, 0, 0, 0, 0, 0, 0, &sid));
    return UniqueSid(sid);
}
} // namespace

bool GetAccessMasks(DWORD kind, DWORD masks[7])
{
    for (const KindMasks& entry : kRights)
    {
        if (entry.kind == kind)
        {
            for (size_t i = 0; i < kGroups; ++i)
                masks[i] = entry.masks[i];
            return true;
        }
    }
    return false;
}

SecurityAttributes::SecurityAttributes() : m_dwKind(KindNone), m_bInheritable(false) {}

SecurityAttributes::SecurityAttributes(const DWORD& kind, const bool& inheritable)
    : m_dwKind(kind), m_bInheritable(inheritable)
{
    try
    {
        Build();
    }
    catch (Exception* e)
    {
        delete e;
        m_attributes = SECURITY_ATTRIBUTES{};
        m_pDescriptor.reset();
        m_acl.clear();
    }
    catch (...)
    {
        m_attributes = SECURITY_ATTRIBUTES{};
        m_pDescriptor.reset();
        m_acl.clear();
    }
}

SecurityAttributes::~SecurityAttributes() = default;

SECURITY_ATTRIBUTES* SecurityAttributes::Get()
{
    if (m_dwKind == KindNone)
        return nullptr;
    // An unbuilt object still hands over the inherit flag, without a descriptor.
    if (!IsBuilt())
    {
        m_attributes.lpSecurityDescriptor = nullptr;
        m_attributes.bInheritHandle = m_bInheritable ? TRUE : FALSE;
    }
    return &m_attributes;
}

void SecurityAttributes::Build()
{
    DWORD masks[kGroups];
    if (!GetAccessMasks(m_dwKind, masks))
        throw new Exception(ERROR_NOT_SUPPORTED, ERROR_NOT_SUPPORTED, KV_SOURCE_FILE, __LINE__);

    UniqueSid sids[kGroups];
    DWORD aclSize = sizeof(ACL);
    for (size_t i = 0; i < kGroups; ++i)
    {
        sids[i] = MakeSid(kGroupSids[i]);
        aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sids[i].get());
    }

    std::vector<BYTE> acl(aclSize);
    PACL pAcl = reinterpret_cast<PACL>(acl.data());
    KV_CHECK_SECURITY(::InitializeAcl(pAcl, aclSize, ACL_REVISION));
    for (size_t i = 0; i < kGroups; ++i)
        KV_CHECK_SECURITY(::AddAccessAllowedAce(pAcl, ACL_REVISION, masks[i], sids[i].get()));

    auto descriptor = std::make_unique<SECURITY_DESCRIPTOR>();
    KV_CHECK_SECURITY(::InitializeSecurityDescriptor(descriptor.get(), SECURITY_DESCRIPTOR_REVISION));
    KV_CHECK_SECURITY(::SetSecurityDescriptorDacl(descriptor.get(), TRUE, pAcl, FALSE));

    m_acl.swap(acl);
    m_pDescriptor = std::move(descriptor);
    m_attributes.nLength = sizeof(SECURITY_ATTRIBUTES);
    m_attributes.lpSecurityDescriptor = m_pDescriptor.get();
    m_attributes.bInheritHandle = m_bInheritable ? TRUE : FALSE;
}

bool IsLocalSystem(bool& isMember)
{
    isMember = false;
    const DWORD nt5 = 11;
    if (!System::IsOsVersion(nt5) || System::GetVersionError() != 0)
        return false;

    Library::Base advapi;
    if (!advapi.Load(L"advapi32.dll"))
        return false;
    using CreateSidFn = BOOL(WINAPI*)(WELL_KNOWN_SID_TYPE, PSID, PSID, DWORD*);
    using CheckMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    auto createSid =
        reinterpret_cast<CreateSidFn>(reinterpret_cast<void*>(advapi.GetEntry(L"CreateWellKnownSid")));
    auto checkMembership = reinterpret_cast<CheckMembershipFn>(
        reinterpret_cast<void*>(advapi.GetEntry(L"CheckTokenMembership")));
    if (!createSid || !checkMembership)
        return false;

    DWORD sidSize = SECURITY_MAX_SID_SIZE;
    UniqueLocalMem sid(::LocalAlloc(LMEM_FIXED, sidSize));
    if (!sid)
        return false;
    BOOL member = FALSE;
    if (!createSid(WinLocalSystemSid, nullptr, sid.get(), &sidSize) ||
        !checkMembership(nullptr, sid.get(), &member))
        return false;
    sid.reset();
    isMember = member == TRUE;
    advapi.Free();
    return true;
}
} // namespace AccessControl
} // namespace KvCommon

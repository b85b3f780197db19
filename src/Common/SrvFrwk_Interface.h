#pragma once
// The host framework's interfaces, result codes and export signatures, shared by host and plug-in.
//
// The declaration order below is the slot order, and no interface declares a C++ virtual destructor
// (g++ would give it two entries): slot 0 is one entry taking flags, as the Microsoft compiler's deleting
// destructor does. So a host from any compiler, or one written in C, can call the objects by slot number.
// What such a host can use is decided by the records: plain-data records work from any compiler
// (Install, StoreData 1-6 and 10, QueryConfig/StoreConfig 1 and 2, DoAction 1-5, the service).
// Records holding std::wstring or std::vector (StoreData 7-9, every QueryData) need the plug-in's
// compiler and standard library on the host side.
#include <windows.h>

namespace SrvFrwk
{
// Result codes: 32-bit, negative (as LONG) means failure.
constexpr ULONG RESULT_SUCCESS = 0x00040200;
constexpr ULONG RESULT_NOT_IMPLEMENTED = 0x00040203;
constexpr ULONG RESULT_FAILED = 0x80040201;
constexpr ULONG RESULT_NO_STORAGE = 0x80040202;
constexpr ULONG RESULT_BAD_TYPE = 0x80040203;
constexpr ULONG RESULT_INVALID_ARG = 0x80040204;
constexpr ULONG RESULT_OUT_OF_MEMORY = 0x80040206;

inline bool Failed(ULONG result)
{
    return static_cast<LONG>(result) < 0;
}

// Type codes of the two factories.
constexpr ULONG LAYER_TYPE_ENFORCE = 4;
constexpr ULONG SERVICE_TYPE_EVENTLOG = 0x800;
constexpr ULONG CONTROLLER_TYPE = 0x10000;
constexpr ULONG PROVIDER_TYPE_EVENTLOG = 0x80000;

namespace Interface
{
// Slot 0 flag: free the object's memory after destroying it.
constexpr UINT DESTROY_FREE = 1;

// Fills slot 0 of an object allocated with new: destroys it, frees it when asked, and returns its
// address as the Microsoft compiler's deleting destructor does.
template <class TObject> void* DestroyObject(TObject* object, UINT flags)
{
    object->~TObject();
    if (flags & DESTROY_FREE)
        ::operator delete(object);
    return object;
}

// The host's service manager: only position 1 is called by the plug-in. No virtual destructor, so
// the position is the same under every C++ ABI.
class ISrvManager
{
public:
    virtual ULONG Reserved0() = 0;
    virtual ULONG GetIFrameworkServiceInterface(void** ppInterface, ULONG ulCode1, ULONG ulCode2, ULONG ulArg,
                                                ULONG_PTR ulpArg) = 0;
};

// The host's controller: only position 10 is called by the plug-in.
class IEnforceController
{
public:
    virtual ULONG Reserved0() = 0;
    virtual ULONG Reserved1() = 0;
    virtual ULONG Reserved2() = 0;
    virtual ULONG Reserved3() = 0;
    virtual ULONG Reserved4() = 0;
    virtual ULONG Reserved5() = 0;
    virtual ULONG Reserved6() = 0;
    virtual ULONG Reserved7() = 0;
    virtual ULONG Reserved8() = 0;
    virtual ULONG Reserved9() = 0;
    virtual ULONG NotifySessionAgent(ULONG ulType, ULONG ulSubType, ULONG ulOption, ULONG_PTR ulpReserved,
                                     void* pScratch16, ULONG ulProviderType, ULONG ulReserved,
                                     ULONG_PTR ulpReserved2) = 0;
};

class IFrameworkService
{
public:
    // Slot 0: destroys the object; a host frees it through SfSv_FreeService.
    virtual void* Destroy(UINT _uFlags) = 0;
    virtual ULONG Initialize() = 0;
    virtual ULONG Uninitialize() = 0;
    virtual ULONG StartService(ULONG ulArg, ULONG_PTR ulpArg) = 0;
    virtual ULONG StopService() = 0;
    virtual ULONG GetServiceState(ULONG* pulState) = 0;
    virtual ULONG QueryValue(ULONG ulType, void* pData, ULONG ulOption, ULONG_PTR ulpReserved) = 0;
    virtual ULONG StoreValue(ULONG ulType, void* pData, ULONG ulOption, ULONG_PTR ulpReserved) = 0;
    virtual ULONG SendMessage(ULONG ulMessage, void* pData, ULONG ulOption, ULONG_PTR ulpReserved) = 0;
    virtual ULONG PostMessage(ULONG ulMessage, void* pData, ULONG ulOption, ULONG_PTR ulpReserved) = 0;
    virtual ULONG Notify(ULONG ulCode, void* pData, ULONG ulOption, ULONG_PTR ulpReserved) = 0;

protected:
    ~IFrameworkService() = default;
};

class IEnforceProvider
{
public:
    // Slot 0: destroys the object; a host frees it through SfPv_FreeProvider.
    virtual void* Destroy(UINT _uFlags) = 0;
    virtual ULONG Initialize() = 0;
    virtual ULONG Uninitialize() = 0;
    virtual ULONG Install() { return RESULT_NOT_IMPLEMENTED; }
    virtual ULONG Reserved4() { return RESULT_NOT_IMPLEMENTED; }
    virtual ULONG Reserved5() { return RESULT_NOT_IMPLEMENTED; }
    virtual ULONG Reserved6() { return RESULT_NOT_IMPLEMENTED; }
    virtual ULONG QueryConfig(ULONG /*ulConfigType*/, ULONG /*ulConfigSubType*/, void* /*pConfigData*/,
                              ULONG /*ulOption*/, ULONG_PTR /*ulpReserved*/)
    {
        return RESULT_NOT_IMPLEMENTED;
    }
    virtual ULONG StoreConfig(ULONG /*ulConfigType*/, ULONG /*ulConfigSubType*/, void* /*pConfigData*/,
                              ULONG /*ulOption*/, ULONG_PTR /*ulpReserved*/)
    {
        return RESULT_NOT_IMPLEMENTED;
    }
    virtual ULONG QueryData(ULONG /*ulDataType*/, ULONG /*ulDataSubType*/, void* /*pPropertyData*/,
                            ULONG /*ulOption*/, ULONG_PTR /*ulpReserved*/)
    {
        return RESULT_NOT_IMPLEMENTED;
    }
    virtual ULONG StoreData(ULONG /*ulDataType*/, ULONG /*ulDataSubType*/, void* /*pPropertyData*/,
                            ULONG /*ulOption*/, ULONG_PTR /*ulpReserved*/)
    {
        return RESULT_NOT_IMPLEMENTED;
    }
    virtual ULONG Reserved11() { return RESULT_NOT_IMPLEMENTED; }
    virtual ULONG DoAction(ULONG /*ulActionType*/, ULONG /*ulActionSubType*/, ULONG /*ulActionOption*/,
                           void* /*pActionParam*/, ULONG_PTR /*ulpReserved*/, ULONG /*ulOption*/,
                           ULONG_PTR /*ulpReserved2*/)
    {
        return RESULT_NOT_IMPLEMENTED;
    }

protected:
    ~IEnforceProvider() = default;
};
} // namespace Interface
} // namespace SrvFrwk

// The eight exports, as a host looks them up with GetProcAddress.
extern "C"
{
    typedef ULONG(WINAPI* PFN_SfSv_Initialize)();
    typedef ULONG(WINAPI* PFN_SfSv_Uninitialize)();
    typedef ULONG(WINAPI* PFN_SfSv_CreateService)(SrvFrwk::Interface::IFrameworkService** _ppServiceContext,
                                                  ULONG ulLayerType, ULONG ulServiceType,
                                                  SrvFrwk::Interface::ISrvManager* _pSrvManagerContext,
                                                  ULONG ulReserved, ULONG_PTR ulpReserved);
    typedef ULONG(WINAPI* PFN_SfSv_FreeService)(SrvFrwk::Interface::IFrameworkService* _pServiceContext,
                                                ULONG ulUnused1, ULONG ulUnused2, ULONG ulReserved,
                                                ULONG_PTR ulpReserved);
    typedef ULONG(WINAPI* PFN_SfPv_Initialize)();
    typedef ULONG(WINAPI* PFN_SfPv_Uninitialize)();
    typedef ULONG(WINAPI* PFN_SfPv_CreateProvider)(
        SrvFrwk::Interface::IEnforceProvider** _ppProviderContext, ULONG ulControllerType,
        ULONG ulProviderType, SrvFrwk::Interface::IEnforceController* _pControllerContext, ULONG ulReserved,
        ULONG_PTR ulpReserved);
    typedef ULONG(WINAPI* PFN_SfPv_FreeProvider)(SrvFrwk::Interface::IEnforceProvider* _pProviderContext,
                                                 ULONG ulControllerType, ULONG ulProviderType,
                                                 ULONG ulReserved, ULONG_PTR ulpReserved);
}

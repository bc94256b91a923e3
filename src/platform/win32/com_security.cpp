#include "platform/win32/com_security.h"

#include <windows.h>

#include <objbase.h>

#include "platform/win32/advapi32.h"
#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using CoInitializeSecurityFn = HRESULT(WINAPI*)(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE*, void*, DWORD,
                                                DWORD, void*, DWORD, void*);
// The system account and the administrators; an administrator's process
// that is not elevated holds that group only to be denied. COM wants an
// owner and a group as well.
bool describe(CallersDescriptor& callers) noexcept {
    const Advapi32& advapi = advapi32();
    const auto sid = advapi.createWellKnownSid;
    const auto initAcl = advapi.initializeAcl;
    const auto allow = advapi.addAccessAllowedAce;
    const auto initDescriptor = advapi.initializeSecurityDescriptor;
    const auto owner = advapi.setSecurityDescriptorOwner;
    const auto group = advapi.setSecurityDescriptorGroup;
    const auto dacl = advapi.setSecurityDescriptorDacl;
    if (sid == nullptr || initAcl == nullptr || allow == nullptr || initDescriptor == nullptr || owner == nullptr ||
        group == nullptr || dacl == nullptr) {
        return false;
    }
    DWORD systemSize = sizeof callers.system;
    DWORD administratorsSize = sizeof callers.administrators;
    const auto acl = reinterpret_cast<PACL>(callers.acl);
    constexpr DWORD rights = COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL;
    return sid(WinLocalSystemSid, nullptr, callers.system, &systemSize) &&
           sid(WinBuiltinAdministratorsSid, nullptr, callers.administrators, &administratorsSize) &&
           initAcl(acl, sizeof callers.acl, ACL_REVISION) && allow(acl, ACL_REVISION, rights, callers.system) &&
           allow(acl, ACL_REVISION, rights, callers.administrators) &&
           initDescriptor(&callers.descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           owner(&callers.descriptor, callers.administrators, FALSE) &&
           group(&callers.descriptor, callers.administrators, FALSE) && dacl(&callers.descriptor, TRUE, acl, FALSE);
}

}  // namespace

// ole32 comes from the system folder only; it is not among the program's
// imports (nor is advapi32, advapi32.h).
ComSecurity::ComSecurity() noexcept : ole32_(loadSystemLibrary(L"ole32.dll")) {
    const auto initialize = systemProc<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    const auto secure = systemProc<CoInitializeSecurityFn>(L"ole32.dll", "CoInitializeSecurity");
    if (!ole32_ || initialize == nullptr || secure == nullptr) return;
    initialized_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    if (!initialized_ || !describe(callers_)) return;
    secured_ = SUCCEEDED(secure(&callers_.descriptor, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NO_CUSTOM_MARSHAL, nullptr));
}

ComSecurity::~ComSecurity() {
    if (!initialized_) return;
    const auto uninitialize = systemProc<CoUninitializeFn>(L"ole32.dll", "CoUninitialize");
    if (uninitialize != nullptr) uninitialize();
}

}  // namespace trevanil::win32

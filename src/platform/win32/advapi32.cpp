#include "platform/win32/advapi32.h"

#include <type_traits>

#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

namespace {

Advapi32 lookedUp() noexcept {
    const HMODULE m = loadSystemLibrary(L"advapi32.dll").release();  // never freed
    Advapi32 a{};
    const auto get = [m](auto& function, const char* name) {
        function = procOf<std::remove_reference_t<decltype(function)>>(m, name);
    };
    get(a.regGetValue, "RegGetValueW");
    get(a.regOpenKeyEx, "RegOpenKeyExW");
    get(a.regEnumKeyEx, "RegEnumKeyExW");
    get(a.regCloseKey, "RegCloseKey");
    get(a.regSetKeyValue, "RegSetKeyValueW");
    get(a.regDeleteKeyValue, "RegDeleteKeyValueW");
    get(a.openProcessToken, "OpenProcessToken");
    get(a.duplicateTokenEx, "DuplicateTokenEx");
    get(a.getTokenInformation, "GetTokenInformation");
    get(a.createProcessWithToken, "CreateProcessWithTokenW");
    get(a.convertSidToStringSid, "ConvertSidToStringSidW");
    get(a.convertStringSecurityDescriptor, "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    get(a.createWellKnownSid, "CreateWellKnownSid");
    get(a.initializeAcl, "InitializeAcl");
    get(a.addAccessAllowedAce, "AddAccessAllowedAce");
    get(a.initializeSecurityDescriptor, "InitializeSecurityDescriptor");
    get(a.setSecurityDescriptorOwner, "SetSecurityDescriptorOwner");
    get(a.setSecurityDescriptorGroup, "SetSecurityDescriptorGroup");
    get(a.setSecurityDescriptorDacl, "SetSecurityDescriptorDacl");
    return a;
}

}  // namespace

const Advapi32& advapi32() noexcept {
    static const Advapi32 functions = lookedUp();
    return functions;
}

}  // namespace trevanil::win32

// advapi32's functions that the program calls, looked up once. advapi32 is
// not among the program's imports (its PE file imports gdi32, kernel32,
// msvcrt and user32 only): it is loaded from the system folder at the first
// use and stays loaded for the program's life.
#pragma once

#include <windows.h>

#include <sddl.h>

namespace trevanil::win32 {

// Each one null where advapi32 cannot be loaded or lacks it.
struct Advapi32 {
    // The registry.
    decltype(&::RegGetValueW) regGetValue;
    decltype(&::RegOpenKeyExW) regOpenKeyEx;
    decltype(&::RegEnumKeyExW) regEnumKeyEx;
    decltype(&::RegCloseKey) regCloseKey;
    decltype(&::RegSetKeyValueW) regSetKeyValue;
    decltype(&::RegDeleteKeyValueW) regDeleteKeyValue;
    // Tokens.
    decltype(&::OpenProcessToken) openProcessToken;
    decltype(&::DuplicateTokenEx) duplicateTokenEx;
    decltype(&::GetTokenInformation) getTokenInformation;
    decltype(&::CreateProcessWithTokenW) createProcessWithToken;
    decltype(&::ConvertSidToStringSidW) convertSidToStringSid;
    // Security descriptors.
    decltype(&::ConvertStringSecurityDescriptorToSecurityDescriptorW) convertStringSecurityDescriptor;
    decltype(&::CreateWellKnownSid) createWellKnownSid;
    decltype(&::InitializeAcl) initializeAcl;
    decltype(&::AddAccessAllowedAce) addAccessAllowedAce;
    decltype(&::InitializeSecurityDescriptor) initializeSecurityDescriptor;
    decltype(&::SetSecurityDescriptorOwner) setSecurityDescriptorOwner;
    decltype(&::SetSecurityDescriptorGroup) setSecurityDescriptorGroup;
    decltype(&::SetSecurityDescriptorDacl) setSecurityDescriptorDacl;
};

const Advapi32& advapi32() noexcept;

}  // namespace trevanil::win32

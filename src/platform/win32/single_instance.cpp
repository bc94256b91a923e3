#include "platform/win32/single_instance.h"

#include <sddl.h>

#include "platform/win32/advapi32.h"
#include "platform/win32/form_window.h"

namespace trevanil::win32 {

namespace {

// The namespace only members of the Administrators group may create; the
// mutex is made in it.
constexpr wchar_t kNamespace[] = L"Trevanil";
constexpr wchar_t kPrivateMutexName[] = L"Trevanil\\Instalacion";
// Where the system has no private namespaces (Wine).
constexpr wchar_t kGlobalMutexName[] = L"Global\\Trevanil.Instalacion";

// BUILTIN\Administrators (S-1-5-32-544), written out: the SID functions are
// advapi32's, which the program does not import.
struct AdministratorsSid {
    BYTE revision = SID_REVISION;
    BYTE subAuthorityCount = 2;
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    DWORD subAuthority[2] = {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS};
};

// Full access for administrators and the system account, nobody else; empty
// when advapi32 cannot give it (the namespace then gets the token's default).
unique_hlocal administratorsOnly() {
    const auto convert = advapi32().convertStringSecurityDescriptor;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (convert == nullptr || !convert(L"D:P(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr)) {
        return {};
    }
    return unique_hlocal(descriptor);
}

// The namespace, made or opened; empty where the system has none (Wine's
// boundary descriptor is a stub that gives nothing, and its namespace
// functions must then not be called) or the caller is no administrator.
unique_namespace administratorsNamespace() {
    HANDLE raw = ::CreateBoundaryDescriptorW(kNamespace, 0);
    if (raw == nullptr) return {};
    AdministratorsSid administrators;
    const bool bound = ::AddSIDToBoundaryDescriptor(&raw, &administrators);  // may move the descriptor
    const unique_boundary boundary(raw);
    if (!bound) return {};
    const unique_hlocal descriptor = administratorsOnly();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    // Made by the first instance, opened by the next; made again when the
    // one that made it ended in between.
    for (int tries = 0; tries < 2; ++tries) {
        unique_namespace made(
            ::CreatePrivateNamespaceW(descriptor ? &attributes : nullptr, boundary.get(), kNamespace));
        if (made || ::GetLastError() != ERROR_ALREADY_EXISTS) return made;
        unique_namespace opened(::OpenPrivateNamespaceW(boundary.get(), kNamespace));
        if (opened) return opened;
    }
    return {};
}

}  // namespace

// A name that exists, that this user may not open, or that an object of
// another type holds (put there to stop the lock being made) belongs to a
// running instance. Any other failure leaves the run unguarded rather than
// blocked.
SingleInstance::SingleInstance() : namespace_(administratorsNamespace()) {
    mutex_.reset(::CreateMutexW(nullptr, FALSE, namespace_ ? kPrivateMutexName : kGlobalMutexName));
    const DWORD error = ::GetLastError();
    first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_HANDLE;
}

void bringRunningWindowToFront() {
    const HWND window = ::FindWindowW(kFormClassName, nullptr);
    if (window != nullptr && ::IsWindowVisible(window)) ::SetForegroundWindow(window);
}

}  // namespace trevanil::win32

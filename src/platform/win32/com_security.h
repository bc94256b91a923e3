// COM's security for the whole process, set once at the program's start
// before any COM use. The viewer's route talks COM to the desktop user's
// shell, a process that user owns: with the default security a reply from it
// could name an unmarshaler of its choosing, which COM would create here, in
// the elevated program.
#pragma once

#include <windows.h>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// Who may call into the process's objects, in the absolute form COM takes.
struct CallersDescriptor {
    SECURITY_DESCRIPTOR descriptor{};
    alignas(DWORD) BYTE system[SECURITY_MAX_SID_SIZE] = {};
    alignas(DWORD) BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    alignas(DWORD) BYTE acl[128] = {};
};

class ComSecurity {
public:
    // COM on this thread (a single-threaded apartment, as the components'
    // OLE later), for the program's life, and the process's security: no
    // custom unmarshaling, servers may identify this program but never act
    // as it, and only the system account and full administrators may call
    // in.
    ComSecurity() noexcept;
    ~ComSecurity();
    ComSecurity(const ComSecurity&) = delete;
    ComSecurity& operator=(const ComSecurity&) = delete;

    // Whether the security is this program's: where it is not (COM
    // missing, or its security set before), no COM may reach another
    // user's process.
    bool secured() const noexcept { return secured_; }

private:
    unique_hmodule ole32_;
    bool initialized_ = false;
    bool secured_ = false;
    CallersDescriptor callers_;  // in use by COM while COM is
};

}  // namespace trevanil::win32

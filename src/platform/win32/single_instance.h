// One running instance per machine, decided before the window exists: the
// first instance holds a named mutex for its life; a later one finds the
// name taken. The name is in a private namespace bound to the Administrators
// group, so that no ordinary user can take it first; where the system has
// no private namespaces, in the Global namespace (all sessions).
#pragma once

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class SingleInstance {
public:
    SingleInstance();
    bool first() const noexcept { return first_; }

private:
    unique_namespace namespace_;  // held open: a closed one cannot be opened by the next instance
    unique_handle mutex_;
    bool first_ = true;
};

// Brings the running instance's window to the front, when it shows one.
void bringRunningWindowToFront();

}  // namespace trevanil::win32

// One running instance per machine, decided before the window exists: the
// first instance holds a named mutex in the Global namespace (all sessions)
// for its life; a later one finds the name taken.
#pragma once

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class SingleInstance {
public:
    SingleInstance();
    bool first() const noexcept { return first_; }

private:
    unique_handle mutex_;
    bool first_ = true;
};

// Brings the running instance's window to the front, when it shows one.
void bringRunningWindowToFront();

}  // namespace trevanil::win32

// OLE on the UI thread for the components' entry points, which may call COM
// as they register. Started the first time a component is loaded, so that
// the window does not wait for it; ended when its owner goes.
#pragma once

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class OleSession {
public:
    OleSession() noexcept = default;
    ~OleSession();
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    // Once per session; a later call does nothing. A system without OLE
    // leaves the components to do without it, as before any start.
    void start() noexcept;

private:
    unique_hmodule ole32_;
    bool started_ = false;
    bool initialized_ = false;
};

}  // namespace trevanil::win32

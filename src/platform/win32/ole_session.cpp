#include "platform/win32/ole_session.h"

#include <windows.h>

#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

namespace {

using OleInitializeFn = HRESULT(WINAPI*)(LPVOID);
using OleUninitializeFn = void(WINAPI*)();

}  // namespace

// ole32 comes from the system folder only, and is loaded by name rather than
// imported (the program's start has set COM's security by then).
void OleSession::start() noexcept {
    if (started_) return;
    started_ = true;
    ole32_ = loadSystemLibrary(L"ole32.dll");
    if (!ole32_) return;
    const auto initialize = systemProc<OleInitializeFn>(L"ole32.dll", "OleInitialize");
    initialized_ = initialize != nullptr && SUCCEEDED(initialize(nullptr));
}

OleSession::~OleSession() {
    if (!initialized_) return;
    const auto uninitialize = systemProc<OleUninitializeFn>(L"ole32.dll", "OleUninitialize");
    if (uninitialize != nullptr) uninitialize();
}

}  // namespace trevanil::win32

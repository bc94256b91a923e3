// The desktop shell's single steps for the viewer's route (app/viewer.h):
// its automation object found and asked to start a program, on a worker
// thread of COM's own, and the caller's wait for that worker.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shldisp.h>

#include <functional>
#include <string>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// The desktop window's automation object, as a user's script would reach
// it; for a thread in COM's multithreaded apartment.
class DesktopShell {
public:
    enum class Answer { started, refused, gone };  // gone: the call never reached the shell's process

    DesktopShell() noexcept;
    // Whether COM's calls are there at all.
    bool usable() const noexcept;
    // Finds the object and holds it; false when the shell does not serve it
    // (yet).
    bool find();
    // Asks the shell held to start `program` (a full path) with `arguments`
    // in `folder`, shown as `show` (an SW_* value).
    Answer ask(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder, int show);

private:
    using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);
    CoCreateInstanceFn create_;
    SysAllocStringFn allocate_;
    unique_com<IShellDispatch2> shell_;
};

// Runs `job` on a thread of its own, told whether COM started there (its
// multithreaded apartment: the thread pumps no messages). The thread holds
// the COM libraries, so that nothing it uses goes away if the caller stops
// waiting. Empty when no thread starts; `job` then never runs.
unique_handle startComWorker(std::function<void(bool com)> job);

// Whether `thread` ended by `deadline` (a GetTickCount64 value); messages
// sent from other threads or programs are answered meanwhile (a window of
// this thread must not hold up the shell), posted ones wait for the
// program's own loop.
bool threadEnded(HANDLE thread, ULONGLONG deadline);

// The process behind the desktop's shell window; 0 when there is none.
DWORD shellProcessId();

// Lets the shell's process take the foreground for the program it starts.
void letShellTakeForeground();

}  // namespace trevanil::win32

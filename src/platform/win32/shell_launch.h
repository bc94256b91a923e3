// Starting a program with the signed-in user's rights rather than this
// program's: an editor started by an elevated program would be elevated too,
// and its Open dialog could start anything as administrator for whoever sits
// at the keyboard. The desktop shell starts it, or else it starts with the
// token of the shell's process.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

struct ShellRequest;  // what the worker is given and answers

// The route to the desktop shell, prepared from the moment it is started: a
// worker looks up the shell's automation object while the program goes on,
// then waits for the one request it is given.
class ShellRoute {
public:
    ShellRoute() = default;
    ~ShellRoute();  // lets the worker go, without waiting for it
    ShellRoute(const ShellRoute&) = delete;
    ShellRoute& operator=(const ShellRoute&) = delete;

    // Starts the worker, once (none when it cannot: the route then never
    // answers).
    void start();
    // Hands the shell the request to start `program` (a full path) with
    // `arguments` in `folder`, shown as `show` (an SW_* value), and lets the
    // shell's process take the foreground for it; starts the worker first if
    // need be. Returns at once; once only.
    void ask(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder, int show);
    // Whether the shell took the request. A shell not reached within a few
    // seconds of the route's start is given up; one reached and asked counts
    // as having started the program even if it has not answered yet, so that
    // a second copy is never started.
    bool answered();

private:
    ShellRequest* request_ = nullptr;
    unique_handle worker_;
    ULONGLONG deadline_ = 0;  // for the shell to be reached
    bool started_ = false;
    bool asked_ = false;
};

// Starts `program` (a full path; the command line as it is to be seen) in
// `folder` with the token of the desktop shell's process. False when there
// is no shell window, its token cannot be had or is one the viewer may not
// use (shell_token.h), or the system refuses.
bool startWithShellToken(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                         int show);

// Whether this program runs with an administrator's full token; true also
// when the system cannot say.
bool runsElevated();

}  // namespace trevanil::win32

// Process-level services: the program's folder, the environment, launching
// a program, and the last Win32 error as a platform failure.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/runtime.h"
#include "platform/win32/shell_launch.h"

namespace trevanil::win32 {

// The folder of the running executable, without a trailing separator
// (except at a drive root, where the folder text is "C:\").
std::string applicationPath();
std::string environmentValue(std::string_view name);  // empty when unset
// Starts a program without waiting; raises 53 when it cannot be started. A
// bare program name is taken from the system folder only, never from the
// program's folder, the current one or PATH. The program starts with the
// signed-in user's rights: the desktop shell starts it, with the arguments as
// written; where no shell answers, it starts with the shell process's token;
// where that fails too, this program starts it itself with the command line
// unchanged, unless this program runs elevated (then nothing starts). The
// program starts with the system folder as its current folder.
void launch(const std::string& commandLine, WindowStyle style);

// The same launch, with the route to the desktop shell prepared beforehand:
// `prepare` starts looking for the shell, `launch` checks the program and
// hands it to the shell at once, and `finish` waits for the shell's answer
// and takes the other ways where it did not start it.
class PreparedLaunch {
public:
    // `throughShell`: whether the desktop shell may be asked at all (only
    // where COM's security is this program's, com_security.h).
    explicit PreparedLaunch(bool throughShell = true) noexcept : throughShell_(throughShell) {}
    void prepare() {
        if (throughShell_) route_.start();
    }
    void launch(const std::string& commandLine, WindowStyle style);  // raises 53 as above
    void finish();  // raises when this program had to start it and could not

private:
    ShellRoute route_;
    std::wstring program_, shellProgram_, line_, folder_;
    int show_ = 0;
    bool throughShell_;
    bool launched_ = false;
};

PlatformError lastError(std::int32_t fallback = errnum::pathFileAccessError);

}  // namespace trevanil::win32

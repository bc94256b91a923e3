// Process tokens for the viewer (app/viewer.h): the desktop shell's, to
// start a program with the signed-in user's rights, and this program's own;
// what each says of itself (through advapi32.h).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class ProcessToken {
public:
    // The token of the desktop shell window's process, as a primary token
    // of its own; empty when there is no shell window or its token cannot
    // be had.
    static ProcessToken ofShell();
    // This program's own; empty when it cannot be had.
    static ProcessToken own();

    explicit operator bool() const noexcept { return static_cast<bool>(token_); }
    // Unknown when the system does not say.
    std::optional<bool> elevated() const;
    std::string user() const;  // its user's SID as text; empty when unknown
    // Starts `program` (a full path; the command line as it is to be seen)
    // in `folder` with this token; false when the system refuses.
    bool start(const std::wstring& program, std::wstring commandLine, const std::wstring& folder, int show) const;

private:
    ProcessToken() = default;
    unique_handle token_;
};

}  // namespace trevanil::win32

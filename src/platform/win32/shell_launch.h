// Starting a program through the signed-in user's desktop shell, so that it
// runs with the shell's token rather than this program's: an editor started
// by an elevated program would be elevated too, and its Open dialog could
// start anything as administrator for whoever sits at the keyboard.
#pragma once

#include <string>

namespace trevanil::win32 {

// Asks the desktop shell to start `program` (a full path) with `arguments`
// in `folder`, shown as `show` (an SW_* value). False when no desktop shell
// was reached within a few seconds, or it refused: the caller starts the
// program itself then. A shell that was reached and asked counts as having
// started it, even if it has not answered yet: never two copies.
bool launchThroughShell(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                        int show);

}  // namespace trevanil::win32

// The program's message boxes: OK button only, application-modal, under the
// program's title.
#pragma once

#include <windows.h>

#include <string>

#include "platform/error.h"

namespace trevanil::win32 {

inline constexpr wchar_t kProgramTitle[] = L"Trevanil";

// Whether anyone can answer a box: not in session 0 nor on a window station
// nobody sees (a service, a scheduled task, a startup script).
bool someoneCanAnswer();

// `icon` is one of the MB_ICON* styles, or 0 for none. Returns at once, as
// if OK were pressed, in session 0 or on a window station nobody sees.
void showMessage(HWND owner, const std::string& text, UINT icon);

// An error that no procedure handled: its number, a blank and its
// description, with the error icon.
void reportUntrapped(HWND owner, const PlatformError& error);

}  // namespace trevanil::win32

#include "platform/win32/message_box.h"

#include "platform/win32/strings.h"

namespace trevanil::win32 {

// There a box would wait for a click that never comes.
bool someoneCanAnswer() {
    DWORD session = 0;
    if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0) return false;
    USEROBJECTFLAGS flags{};
    const HWINSTA station = ::GetProcessWindowStation();
    if (station != nullptr && ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        return (flags.dwFlags & WSF_VISIBLE) != 0;
    }
    return true;
}

// Where nobody can answer, the box is skipped and the caller goes on as if
// OK had been pressed.
void showMessage(HWND owner, const std::string& text, UINT icon) {
    if (!someoneCanAnswer()) return;
    // A box's own loop ends at a quit request. The program asks to end only
    // after its last box, so one pending now was left by a component.
    MSG strayQuit;
    ::PeekMessageW(&strayQuit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    const HWND ownerAlive = ::IsWindow(owner) ? owner : nullptr;
    ::MessageBoxW(ownerAlive, toWide(text).c_str(), kProgramTitle, MB_OK | MB_APPLMODAL | icon);
}

void reportUntrapped(HWND owner, const PlatformError& error) {
    showMessage(owner, errorReport(error), MB_ICONERROR);
}

}  // namespace trevanil::win32

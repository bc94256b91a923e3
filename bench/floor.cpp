// The floor: the least a windowed program costs under the same loader. It
// registers a class, opens one visible window, closes it and exits, linked
// the way Trevanil.exe is. The shell floor, `/shell <file>`: the same, and
// before the window closes, the program's own viewer opened on <file> (the
// desktop shell asked to start Notepad), as a program that prepares nothing
// beforehand opens it.
#include <windows.h>

#include <string>

#include "app/viewer.h"
#include "app/win32/viewer_system.h"
#include "platform/error.h"
#include "platform/win32/strings.h"

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = L"TrevanilFloor";
    if (::RegisterClassW(&wc) == 0) return 1;
    const HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                          CW_USEDEFAULT, CW_USEDEFAULT, 640, 580, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);
    const std::wstring shell = L"/shell ";
    if (std::wstring(commandLine).compare(0, shell.size(), shell) == 0) {
        try {
            trevanil::win32::Win32ViewerSystem system;
            trevanil::ViewerLaunch viewer(system, true);
            viewer.open(trevanil::win32::toUtf8(commandLine + shell.size()));
            viewer.finish();
        } catch (const trevanil::PlatformError&) {
            return 1;
        }
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

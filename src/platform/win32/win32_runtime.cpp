#include "platform/win32/win32_runtime.h"

#include "platform/error.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/message_box.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_services.h"

namespace trevanil::win32 {

std::unique_ptr<FileSystemObject> Win32Runtime::createObject(std::string_view className) {
    if (!equalIgnoringCase(toWide(className), toWide(kFileSystemObjectClass))) {
        throw PlatformError(errnum::cannotCreateObject);
    }
    return makeFileSystemObject(log_);
}

std::string Win32Runtime::appPath() const { return applicationPath(); }

std::string Win32Runtime::environment(std::string_view name) const { return environmentValue(name); }

void Win32Runtime::openViewer(const std::string& path) {
    if (viewer_ != nullptr) viewer_->open(path);
}

// Everything pending, then back. The program asks to end only once its
// window is gone: a quit request while the window is there was left by a
// component's entry point, and is dropped so that it ends neither the pass
// nor a message box. Once the window is gone it is left for the event loop.
void Win32Runtime::doEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            dispatch(message);
        } else if (window() == nullptr) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
    }
}

void Win32Runtime::msgBox(const std::string& prompt) { showMessage(window(), prompt, 0); }

void Win32Runtime::end() { ::PostQuitMessage(0); }

void Win32Runtime::run() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) dispatch(message);
}

// Tab moves between the lists.
void Win32Runtime::dispatch(MSG& message) {
    const HWND handle = window();
    if (handle != nullptr && ::IsDialogMessageW(handle, &message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

}  // namespace trevanil::win32

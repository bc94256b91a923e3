// The window runtime's services on Win32, around the program's one window.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "platform/runtime.h"
#include "platform/win32/form_window.h"
#include "platform/win32/log_file.h"

namespace trevanil::win32 {

class Win32Runtime final : public Runtime {
public:
    // `logPath`: where the pass writes its log; the program's start decides.
    Win32Runtime(const Win32Form& mainWindow, std::string logPath) noexcept
        : mainWindow_(&mainWindow), logPath_(std::move(logPath)) {}
    // The log in a folder held since the program's start checked it: the
    // file-system objects made here create it through that folder. Without
    // a `viewer` no viewer opens: nobody is there to see it.
    Win32Runtime(const Win32Form& mainWindow, const LogFolder& log, Viewer* viewer = nullptr)
        : mainWindow_(&mainWindow), logPath_(log.logPath()), log_(&log), viewer_(viewer) {}
    // Without a window (the check of the PC): a message box has no owner.
    explicit Win32Runtime(const LogFolder& log, Viewer* viewer = nullptr)
        : logPath_(log.logPath()), log_(&log), viewer_(viewer) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;
    std::string appPath() const override;
    std::string logPath() const override { return logPath_; }
    std::string environment(std::string_view name) const override;
    void openViewer(const std::string& path) override;
    void doEvents() override;
    void msgBox(const std::string& prompt) override;
    void end() override;

    // The program's event loop; returns once the program has ended.
    void run();

private:
    void dispatch(MSG& message);

    HWND window() const noexcept { return mainWindow_ != nullptr ? mainWindow_->handle() : nullptr; }

    const Win32Form* mainWindow_ = nullptr;
    std::string logPath_;
    const LogFolder* log_ = nullptr;
    Viewer* viewer_ = nullptr;
};

}  // namespace trevanil::win32

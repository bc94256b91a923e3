// The system's side of a run on Win32: the window and its event loop, the
// viewer's launch, the results file held since the start.
#pragma once

#include <string>

#include "app/program.h"
#include "app/viewer.h"
#include "platform/win32/form_window.h"
#include "platform/win32/log_file.h"
#include "platform/win32/win32_runtime.h"

namespace trevanil::win32 {

class Win32Host final : public Host {
public:
    // `form` null: a run without a window (the check). `viewer` null: none.
    Win32Host(Win32Form* form, int showCommand, Win32Runtime& runtime, const LogFolder& log,
              ViewerLaunch* viewer) noexcept
        : form_(form), showCommand_(showCommand), runtime_(runtime), log_(log), viewer_(viewer) {}

    void run(FormEvents& events) override;
    std::optional<PlatformError> untrapped() const override;
    void prepareViewer() override;
    bool finishViewer() override;
    void appendLine(const std::string& line) override;
    void inform(const std::string& text) override;

private:
    Win32Form* form_;
    int showCommand_;
    Win32Runtime& runtime_;
    const LogFolder& log_;
    ViewerLaunch* viewer_;
};

}  // namespace trevanil::win32

#include "host.h"

#include "platform/win32/message_box.h"

namespace trevanil::win32 {

void Win32Host::run(FormEvents& events) {
    if (form_ == nullptr) return;
    form_->load(events, showCommand_, form_->made());
    // The shell is looked for once the window shows, while it waits for its
    // timer: the window is not kept waiting for it.
    prepareViewer();
    runtime_.run();
}

std::optional<PlatformError> Win32Host::untrapped() const {
    return form_ != nullptr ? form_->untrapped() : std::nullopt;
}

void Win32Host::prepareViewer() {
    if (viewer_ != nullptr) viewer_->prepare();
}

// The viewer's start, awaited once the window is gone; its failure is
// reported as the pass's own.
bool Win32Host::finishViewer() {
    if (viewer_ == nullptr) return true;
    try {
        viewer_->finish();
        return true;
    } catch (const PlatformError& e) {
        showMessage(nullptr, errorReport(e), 0);
        return false;
    }
}

void Win32Host::appendLine(const std::string& line) { win32::appendLine(log_, line); }

void Win32Host::inform(const std::string& text) { showMessage(nullptr, text, MB_ICONINFORMATION); }

}  // namespace trevanil::win32

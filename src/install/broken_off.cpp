#include "install/broken_off.h"

#include "platform/resume_next.h"

namespace trevanil {

void reportBrokenOff(Runtime& runtime, TextStream* log, const PlatformError& error) noexcept {
    if (log != nullptr) resumeNext([&] { log->close(); });
    resumeNext([&] { runtime.msgBox(errorReport(error)); });
}

}  // namespace trevanil

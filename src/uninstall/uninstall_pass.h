// The pass undone (/U): over the window's list, each file's count taken
// back (count_take_back.h), one log line per component, the title and the
// bar moved as the pass moves them, and the log shown at the end. The
// window starts it from its timer, as it starts the pass.
#pragma once

#include <cstdint>

#include "platform/form.h"
#include "platform/runtime.h"
#include "uninstall/count_take_back.h"

namespace trevanil {

// How /U ended, for the program's exit code.
enum class UninstallResult {
    notRun,      // the window closed before it started
    allDone,     // ran to the end, no step refused
    notAllDone,  // ran to the end, a step refused for at least one file
    brokenOff,   // broke off in the error report
};

class UninstallPass {
public:
    UninstallPass(Form& window, Runtime& runtime, CountTakeBack& takeBack) noexcept
        : window_(window), runtime_(runtime), takeBack_(takeBack) {}

    // The whole pass; every error ends in a message box, none leaves it.
    void uninstall();
    UninstallResult result() const { return result_; }

private:
    Form& window_;
    Runtime& runtime_;
    CountTakeBack& takeBack_;
    UninstallResult result_ = UninstallResult::notRun;
};

}  // namespace trevanil

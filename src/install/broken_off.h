// The error report that ends a pass or a check: the log keeps every line
// written so far (it is closed before the box, so nothing depends on how
// the stream is released), then the box shows the error's number and
// description.
#pragma once

#include <memory>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/runtime.h"

namespace trevanil {

void reportBrokenOff(Runtime& runtime, TextStream* log, const PlatformError& error) noexcept;

}  // namespace trevanil

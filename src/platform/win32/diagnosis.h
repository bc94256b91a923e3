// Why a copy or a registration failed, for the detailed log; asked only
// after a failure.
#pragma once

#include "platform/cause.h"
#include "platform/detailed_runtime.h"
#include "platform/win32/module_loader_win32.h"

namespace trevanil::win32 {

// The system's error number of the copy and its text, or the two versions
// of a newer file kept.
Cause diagnose(const CopyNotDone& failure);

// From what the loader kept and, for a load that failed, from the file's
// bytes and the folders the loader searches: nothing is loaded or run to
// find out.
Cause diagnose(const LoadFailure& failure);

}  // namespace trevanil::win32

#include "platform/win32/common_controls.h"

#include <commctrl.h>

#include "platform/error.h"
#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

namespace {

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

}  // namespace

unique_hmodule initCommonControls() {
    unique_hmodule comctl = loadSystemLibrary(L"comctl32.dll");
    if (!comctl) throw PlatformError(errnum::cannotCreateObject);
    const auto init = procOf<InitCommonControlsExFn>(comctl.get(), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    if (init == nullptr || !init(&icc)) throw PlatformError(errnum::cannotCreateObject);
    return comctl;
}

}  // namespace trevanil::win32

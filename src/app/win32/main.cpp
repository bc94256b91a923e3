// The program's entry point: the window, its runtime and its logic, then the
// event loop until the program ends.
#include <windows.h>

#include <new>

#include "app/form_design.h"
#include "app/frm_trevanil.h"
#include "platform/error.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/form_window.h"
#include "platform/win32/message_box.h"
#include "platform/win32/module_loader_win32.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/win32_runtime.h"
#include "resource_ids.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// System DLLs loaded from now on come from the system folder only: the
// program runs from a folder of files to install, never a place to trust.
void restrictDllSearch() {
    const auto setDefault =
        trevanil::win32::systemProc<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");  // drops the current folder from the older search order
}

void runProgram(HINSTANCE instance, int showCommand) {
    const auto commonControls = trevanil::win32::initCommonControls();
    trevanil::win32::Win32Form form(instance, IDI_TREVANIL, trevanil::frmTrevanilDesign());
    trevanil::win32::Win32Runtime runtime(form);
    trevanil::win32::Win32ModuleLoader loader;
    trevanil::FrmTrevanil frmTrevanil(form, runtime, loader);
    form.load(frmTrevanil, showCommand);
    runtime.run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    restrictDllSearch();
    try {
        runProgram(instance, showCommand);
    } catch (const trevanil::PlatformError& e) {
        // The window could not be created, or its load handler failed.
        trevanil::win32::reportUntrapped(nullptr, e);
    } catch (const std::bad_alloc&) {
        trevanil::win32::reportUntrapped(nullptr, trevanil::PlatformError(trevanil::errnum::memoriaInsuficiente));
    }
    return 0;
}

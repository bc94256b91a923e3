// The program's entry point: it makes the system's objects and hands them
// to the program's logic (app/program.h), which decides everything else.
#include <windows.h>

#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/form_design.h"
#include "app/program.h"
#include "host.h"
#include "platform/resume_next.h"
#include "platform/win32/check_probe_win32.h"
#include "platform/win32/com_security.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/form_window.h"
#include "platform/win32/log_file.h"
#include "platform/win32/message_box.h"
#include "platform/win32/module_loader_win32.h"
#include "platform/win32/restart_renames_win32.h"
#include "platform/win32/shared_files_win32.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_folders_win32.h"
#include "platform/win32/system_probe.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/system_services.h"
#include "platform/win32/win32_runtime.h"
#include "resource_ids.h"
#include "viewer_system.h"

using namespace trevanil;  // the entry point ties the program together

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// System DLLs loaded from now on come from the system folder only: the
// program runs from a folder of files to install, never a place to trust.
void restrictDllSearch() {
    const auto setDefault =
        win32::systemProc<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");  // drops the current folder from the older search order
}

// The results file's folder, held from here to the end: beside the
// program, or where the command line says when a file can be made there.
std::optional<win32::LogFolder> holdResultsFile(const CommandLine& options) {
    if (options.logPath) return win32::logFolderFor(*options.logPath);
    return win32::LogFolder::hold(win32::applicationPath() + "\\" + std::string(resultsFileName(options)));
}

// The window of an unattended run is never shown: no controls, so no
// common controls either. `run`: the pass, or the pass undone (/U).
int pass(HINSTANCE instance, int showCommand, const CommandLine& options, const win32::LogFolder& log,
         ViewerLaunch* viewer, int (*run)(const CommandLine&, Host&, PassParts)) {
    using Display = win32::Win32Form::Display;
    const Display display = watched(options) ? Display::shown : Display::never;
    const auto commonControls = display == Display::shown ? win32::initCommonControls() : win32::unique_hmodule();
    win32::Win32Form form(instance, IDI_TREVANIL, frmTrevanilDesign(), display);
    win32::Win32Runtime runtime(form, log, viewer);
    win32::Win32ModuleLoader loader;
    const win32::Win32VersionReader versions;
    const win32::SystemProbe probe;
    const win32::Win32SystemFolders folders;
    win32::Win32SharedFiles shared;
    win32::Win32RestartRenames renames;
    win32::Win32Host host(&form, showCommand, runtime, log, viewer);
    return run(options, host, {form, runtime, loader, versions, probe, folders, shared, renames});
}

int check(const CommandLine& options, const win32::LogFolder& log, ViewerLaunch* viewer) {
    win32::Win32Runtime runtime(log, viewer);
    win32::Win32Host host(nullptr, 0, runtime, log, viewer);
    const win32::SystemProbe files;
    const win32::Win32CheckProbe pc;
    const win32::Win32SharedFiles shared;
    const win32::Win32SystemFolders folders;
    return runCheck(options, host, runtime, files, pc, shared, folders);
}

UINT iconOf(Start::Box box) { return box == Start::Box::error ? MB_ICONERROR : MB_ICONINFORMATION; }

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    restrictDllSearch();
    const CommandLine options = parseCommandLine(win32::toUtf8(::GetCommandLineW()));
    std::optional<win32::LogFolder> log;
    const Start start = decideStart(options, [&] { return (log = holdResultsFile(options)).has_value(); });
    if (start.box != Start::Box::none) win32::showMessage(nullptr, start.text, iconOf(start.box));
    if (start.run == Start::Run::nothing) return start.exitCode;

    const win32::SingleInstance singleInstance;
    if (!singleInstance.first()) {
        if (watched(options)) win32::bringRunningWindowToFront();
        return exitcode::alreadyRunning;
    }
    // Before anything uses COM: the viewer's route, the components' OLE.
    const win32::ComSecurity com;
    // The viewer's route to the desktop shell is looked up while the window
    // waits and the pass runs.
    win32::Win32ViewerSystem viewerSystem;
    std::optional<ViewerLaunch> viewer;
    if (opensViewer(options, win32::someoneCanAnswer())) viewer.emplace(viewerSystem, com.secured());
    ViewerLaunch* const launch = viewer ? &*viewer : nullptr;
    int code = exitcode::brokenOff;
    trapErrors([&] {
        const bool undo = start.run == Start::Run::uninstall;
        code = start.run == Start::Run::check
                   ? check(options, *log, launch)
                   : pass(instance, showCommand, options, *log, launch, undo ? runUninstall : runPass);
    }, [&](const PlatformError& e) {
        // The window could not be created, or its load handler failed.
        if (watched(options)) win32::reportUntrapped(nullptr, e);
    });
    return code;
}

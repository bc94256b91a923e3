// The program's entry point: the switches, one instance per machine, the
// window, its runtime and its logic, the event loop until the program ends,
// and the exit code.
#include <windows.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/form_design.h"
#include "app/frm_trevanil.h"
#include "check/comprobacion.h"
#include "install/copy_record.h"
#include "install/newer_copy_loader.h"
#include "install/windows_folder.h"
#include "platform/detail_collector.h"
#include "platform/detailed_loader.h"
#include "platform/detailed_runtime.h"
#include "platform/error.h"
#include "platform/log_texts.h"
#include "platform/quiet_runtime.h"
#include "platform/text.h"
#include "platform/win32/check_probe_win32.h"
#include "platform/win32/com_security.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/diagnosis.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/form_window.h"
#include "platform/win32/log_file.h"
#include "platform/win32/message_box.h"
#include "platform/win32/module_loader_win32.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_folders_win32.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/system_services.h"
#include "platform/win32/win32_runtime.h"
#include "resource_ids.h"

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

// Exit codes, as deployment tools read them: 0 success, 1618 "try again
// later", anything else a failure. docs/deploying.md lists them.
namespace exitcode {
constexpr int allRegistered = 0;
constexpr int usageShown = 0;
constexpr int notAllRegistered = 1;
constexpr int allRight = 0;    // the check found every component right
constexpr int notAllRight = 1;  // the check found one that is not
constexpr int badCommandLine = 87;  // ERROR_INVALID_PARAMETER
constexpr int closedBeforeThePass = 1602;      // ERROR_INSTALL_USEREXIT
constexpr int brokenOff = 1603;   // ERROR_INSTALL_FAILURE
constexpr int alreadyRunning = 1618;  // ERROR_INSTALL_ALREADY_RUNNING
}  // namespace exitcode

int exitCode(Resultado resultado) {
    switch (resultado) {
    case Resultado::todosRegistrados: return exitcode::allRegistered;
    case Resultado::algunoSinRegistrar: return exitcode::notAllRegistered;
    case Resultado::sinPasada: return exitcode::closedBeforeThePass;
    case Resultado::interrumpida: break;
    }
    return exitcode::brokenOff;
}

int exitCode(ResultadoComprobacion resultado) {
    switch (resultado) {
    case ResultadoComprobacion::todosCorrectos: return exitcode::allRight;
    case ResultadoComprobacion::algunoIncorrecto: return exitcode::notAllRight;
    case ResultadoComprobacion::interrumpida: break;
    }
    return exitcode::brokenOff;
}

// Where the log goes: beside the program, as always, or where the command
// line says when a file can be created there. Its folder is held from here
// to the end.
std::optional<win32::LogFolder> logFolderFrom(const CommandLine& options) {
    const std::string_view name = options.check ? kNombreComprobacion : kNombreLog;
    if (!options.logPath) return win32::LogFolder::hold(win32::applicationPath() + "\\" + std::string(name));
    return win32::logFolderFor(*options.logPath);
}

// What the detailed log adds (/V): a collector that the runtime and the
// loader tell what did not happen; the log gets its lines as it closes.
struct Detailed {
    Detailed(Runtime& wrapped, ModuleLoader& wrappedLoader)
        : collector(probe), runtime(wrapped, collector), loader(wrappedLoader, collector) {}
    win32::SystemProbe probe;
    DetailCollector collector;
    DetailedRuntime runtime;
    DetailedLoader loader;

    // A registration made from System32 (the collector names the file as
    // the system reached it); or from System, where System32's newer file
    // was this run's copy.
    void fromSystem32(const NewerInSystem32& made) noexcept {
        if (made.copied) return collector.registeredOlderThanCopy(made.name, made.system, made.system32);
        collector.registeredFromSystem32(made.name, made.path, made.system, made.system32);
    }
};

// WINDIR as the pass and the check may use it: the system's own Windows
// folder, or none.
WindowsFolder windowsFolderOf(const Runtime& runtime) {
    return windowsFolderFrom(runtime.environment("WINDIR"), win32::Win32SystemFolders());
}

// The viewer's start, awaited once the window is gone. False when it could
// not be started: its report was shown, as the pass's own.
bool finishViewer(win32::PreparedLaunch* viewer) {
    if (viewer == nullptr) return true;
    try {
        viewer->finish();
        return true;
    } catch (const PlatformError& e) {
        win32::showMessage(nullptr, informe(e), 0);
        return false;
    }
}

// The window, its runtime and its logic, then the event loop until the
// program ends. The unattended run and the detailed log differ only in the
// objects built here. `viewer`: how the viewer is started, its route to the
// desktop shell prepared from the moment the window shows; the shell's
// answer is awaited once the window is gone.
int runProgram(HINSTANCE instance, int showCommand, const CommandLine& options, const win32::LogFolder& log,
               win32::PreparedLaunch* viewer) {
    using win32::Win32Form;
    const bool quiet = options.quiet;
    // The window of the quiet mode is never shown: no controls, so no
    // common controls either.
    const Win32Form::Display display = quiet ? Win32Form::Display::never : Win32Form::Display::shown;
    const auto commonControls = quiet ? win32::unique_hmodule() : win32::initCommonControls();
    Win32Form form(instance, IDI_TREVANIL, frmTrevanilDesign(), display);
    win32::Win32Runtime win32Runtime(form, log, viewer);
    win32::Win32ModuleLoader win32Loader;
    // What the copies wrote, heard first-hand: the registration never loads it.
    CopyRecord copies;
    RecordingRuntime recordingRuntime(win32Runtime, copies);
    std::optional<Detailed> detailed;
    if (options.verbose) detailed.emplace(recordingRuntime, win32Loader);
    Runtime& baseRuntime = detailed ? static_cast<Runtime&>(detailed->runtime) : recordingRuntime;
    ModuleLoader& loader = detailed ? static_cast<ModuleLoader&>(detailed->loader) : win32Loader;
    QuietRuntime quietRuntime(baseRuntime);
    Runtime& shownRuntime = quiet ? static_cast<Runtime&>(quietRuntime) : baseRuntime;
    const WindowsFolder windows = windowsFolderOf(win32Runtime);
    if (detailed && windows.refused) detailed->collector.add(*windows.refused);
    WindowsFolderRuntime runtime(shownRuntime, windows.path);
    // A component whose System32 copy is newer, and not this run's copy, is
    // registered from there.
    const win32::Win32VersionReader versions;
    NewerCopyLoader::Heard fromSystem32;
    if (detailed) fromSystem32 = [&detailed](const NewerInSystem32& made) { detailed->fromSystem32(made); };
    NewerCopyLoader registrationLoader(loader, versions, runtime, copies, fromSystem32);
    WindowsFolderLoader windowsLoader(registrationLoader, windows.path);
    FrmTrevanil frmTrevanil(form, runtime, windowsLoader);
    form.load(frmTrevanil, showCommand, display);
    // The shell is looked for once the window shows, while it waits for its
    // timer: the window is not kept waiting for it.
    if (viewer != nullptr) viewer->prepare();
    win32Runtime.run();
    if (!finishViewer(viewer)) return exitcode::brokenOff;

    std::vector<std::string> reports = quietRuntime.reports();
    if (form.untrapped()) reports.push_back(informe(*form.untrapped()));
    if (quietRuntime.created(log.logPath())) {
        for (const std::string& report : reports) win32::appendLine(log, logtext::kReportMark + report);
    }
    return form.untrapped() ? exitcode::brokenOff : exitCode(frmTrevanil.resultado());
}

// The check of the PC (/C): no window, nothing copied or registered; the
// report goes where the log would, under its own name, and is shown as the
// log is.
int runCheck(const CommandLine& options, const win32::LogFolder& log, win32::PreparedLaunch* viewer) {
    win32::Win32Runtime win32Runtime(log, viewer);
    if (viewer != nullptr) viewer->prepare();
    const win32::SystemProbe files;
    // The report ends with why WINDIR was not used, when it was not.
    const WindowsFolder windows = windowsFolderOf(win32Runtime);
    DetailCollector refusal(files);
    if (windows.refused) refusal.add(*windows.refused);
    DetailedRuntime reported(win32Runtime, refusal);
    QuietRuntime quietRuntime(reported);
    WindowsFolderRuntime runtime(options.quiet ? static_cast<Runtime&>(quietRuntime) : reported, windows.path);
    std::vector<std::string> names;
    for (const std::string_view item : frmTrevanilDesign().items) names.push_back(trim(item));
    const win32::Win32CheckProbe pc;
    const int code = exitCode(comprobar(runtime, names, files, pc));
    return finishViewer(viewer) ? code : exitcode::brokenOff;
}

}  // namespace

// Bad input is turned away before anything exists: no window, no file, no
// copy. A second instance ends at once.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    restrictDllSearch();
    const CommandLine options =
        parseCommandLine(win32::toUtf8(::GetCommandLineW()));
    const bool quiet = options.quiet;
    const bool noBox = options.quietWritten;
    std::string error = options.error;
    std::optional<win32::LogFolder> log;
    if (error.empty() && !options.usage) {
        log = logFolderFrom(options);
        if (!log) {
            error = "No se puede crear el archivo de resultados en " + *options.logPath +
                    ": la carpeta no existe o la ruta no nombra un archivo.";
        }
    }
    if (!error.empty()) {
        if (!noBox) win32::showMessage(nullptr, error + "\n\n" + usageText(), MB_ICONERROR);
        return exitcode::badCommandLine;
    }
    if (options.usage) {
        if (noBox) return exitcode::badCommandLine;  // nothing may be shown, nothing is done
        win32::showMessage(nullptr, usageText(), MB_ICONINFORMATION);
        return exitcode::usageShown;
    }

    const win32::SingleInstance singleInstance;
    if (!singleInstance.first()) {
        if (!quiet) win32::bringRunningWindowToFront();
        return exitcode::alreadyRunning;
    }
    // Before anything uses COM: the viewer's route, the components' OLE.
    const win32::ComSecurity com;
    // The viewer's route to the desktop shell is looked up while the window
    // waits and the pass runs (runProgram); the quiet mode starts no viewer,
    // nor does a run where nobody could answer a box.
    std::optional<win32::PreparedLaunch> viewer;
    if (!quiet && win32::someoneCanAnswer()) viewer.emplace(com.secured());
    try {
        if (options.check) return runCheck(options, *log, viewer ? &*viewer : nullptr);
        return runProgram(instance, showCommand, options, *log, viewer ? &*viewer : nullptr);
    } catch (const PlatformError& e) {
        // The window could not be created, or its load handler failed.
        if (!quiet) win32::reportUntrapped(nullptr, e);
    } catch (const std::bad_alloc&) {
        if (!quiet) win32::reportUntrapped(nullptr, PlatformError(errnum::memoriaInsuficiente));
    }
    return exitcode::brokenOff;
}

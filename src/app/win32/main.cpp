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
#include "platform/detailed_runtime.h"
#include "platform/error.h"
#include "platform/quiet_runtime.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/diagnosis.h"
#include "platform/win32/form_window.h"
#include "platform/win32/log_file.h"
#include "platform/win32/message_box.h"
#include "platform/win32/module_loader_win32.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/strings.h"
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
// later", anything else a failure. README and docs/shipping.md list them.
namespace salida {
constexpr int todosRegistrados = 0;
constexpr int ayuda = 0;
constexpr int algunoSinRegistrar = 1;
constexpr int lineaIncorrecta = 87;  // ERROR_INVALID_PARAMETER
constexpr int sinPasada = 1602;      // ERROR_INSTALL_USEREXIT
constexpr int interrumpida = 1603;   // ERROR_INSTALL_FAILURE
constexpr int otraInstancia = 1618;  // ERROR_INSTALL_ALREADY_RUNNING
}  // namespace salida

int exitCode(Resultado resultado) {
    switch (resultado) {
    case Resultado::todosRegistrados: return salida::todosRegistrados;
    case Resultado::algunoSinRegistrar: return salida::algunoSinRegistrar;
    case Resultado::sinPasada: return salida::sinPasada;
    case Resultado::interrumpida: break;
    }
    return salida::interrumpida;
}

// An unattended run's report, after the component lines: no component name
// starts with an asterisk, which no file name may hold.
constexpr char kMarcaInforme[] = "*** Instalacion interrumpida: ";

// Where the log goes: beside the program, as always, or where the command
// line says when a file can be created there. Its folder is held from here
// to the end.
std::optional<win32::LogFolder> logFolderFrom(const CommandLine& options) {
    if (!options.logPath) return win32::LogFolder::hold(win32::applicationPath() + "\\" + std::string(kNombreLog));
    return win32::logFolderFor(*options.logPath);
}

// The detailed log's lines: the copies that failed, then the components
// that did not register, each in list order.
std::vector<std::string> detailLines(const std::vector<CopyNotDone>& copies, const win32::Win32ModuleLoader& loader) {
    std::vector<std::string> lines;
    for (const CopyNotDone& copy : copies) lines.push_back(detailLine(win32::diagnose(copy)));
    for (const win32::LoadFailure& load : loader.failures()) lines.push_back(detailLine(win32::diagnose(load)));
    return lines;
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
    win32::Win32ModuleLoader loader;
    DetailedRuntime detailedRuntime(win32Runtime, [&loader](const std::vector<CopyNotDone>& copies) {
        return detailLines(copies, loader);
    });
    Runtime& baseRuntime = options.verbose ? static_cast<Runtime&>(detailedRuntime) : win32Runtime;
    QuietRuntime quietRuntime(baseRuntime);
    Runtime& runtime = quiet ? static_cast<Runtime&>(quietRuntime) : baseRuntime;
    FrmTrevanil frmTrevanil(form, runtime, loader);
    form.load(frmTrevanil, showCommand, display);
    // The shell is looked for once the window shows, while it waits for its
    // timer: the window is not kept waiting for it.
    if (viewer != nullptr) viewer->prepare();
    win32Runtime.run();
    if (viewer != nullptr) {
        try {
            viewer->finish();
        } catch (const PlatformError& e) {
            // The viewer could not be started: the pass's own report.
            win32::showMessage(nullptr, informe(e), 0);
            return salida::interrumpida;
        }
    }

    std::vector<std::string> reports = quietRuntime.reports();
    if (form.untrapped()) reports.push_back(informe(*form.untrapped()));
    if (quietRuntime.created(log.logPath())) {
        for (const std::string& report : reports) win32::appendLine(log, kMarcaInforme + report);
    }
    return form.untrapped() ? salida::interrumpida : exitCode(frmTrevanil.resultado());
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
            error = "No se puede crear el registro en " + *options.logPath +
                    ": la carpeta no existe o la ruta no nombra un archivo.";
        }
    }
    if (!error.empty()) {
        if (!noBox) win32::showMessage(nullptr, error + "\n\n" + usageText(), MB_ICONERROR);
        return salida::lineaIncorrecta;
    }
    if (options.usage) {
        if (noBox) return salida::lineaIncorrecta;  // nothing may be shown, nothing is done
        win32::showMessage(nullptr, usageText(), MB_ICONINFORMATION);
        return salida::ayuda;
    }

    const win32::SingleInstance singleInstance;
    if (!singleInstance.first()) {
        if (!quiet) win32::bringRunningWindowToFront();
        return salida::otraInstancia;
    }
    // The viewer's route to the desktop shell is looked up while the window
    // waits and the pass runs (runProgram); the quiet mode starts no viewer.
    std::optional<win32::PreparedLaunch> viewer;
    if (!quiet) viewer.emplace();
    try {
        return runProgram(instance, showCommand, options, *log, viewer ? &*viewer : nullptr);
    } catch (const PlatformError& e) {
        // The window could not be created, or its load handler failed.
        if (!quiet) win32::reportUntrapped(nullptr, e);
    } catch (const std::bad_alloc&) {
        if (!quiet) win32::reportUntrapped(nullptr, PlatformError(errnum::memoriaInsuficiente));
    }
    return salida::interrumpida;
}

// The entry point's decisions as plain logic: what a command line leads to
// before anything exists, which objects each switch puts around the
// system's own, what the log gets after the run, and the exit code. The
// entry point (win32/main.cpp) only makes the system's objects and hands
// them here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "check/check_probe.h"
#include "check/pc_check.h"
#include "detail/probe.h"
#include "install/install_pass.h"
#include "platform/error.h"
#include "platform/file_version.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "platform/restart_renames.h"
#include "platform/runtime.h"
#include "platform/shared_files.h"
#include "platform/system_folders.h"
#include "uninstall/uninstall_pass.h"

namespace trevanil {

// Exit codes, as deployment tools read them: 0 success, 3010 success once
// the PC restarts, 1618 "try again later", anything else a failure.
// docs/guia-administrador.md lists them.
namespace exitcode {
constexpr int allRegistered = 0;
constexpr int usageShown = 0;
constexpr int notAllRegistered = 1;
constexpr int restartNeeded = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED: all registered, a file waits for the restart
constexpr int allRight = 0;          // the check found every component right
constexpr int notAllRight = 1;       // the check found one that is not
constexpr int allRemoved = 0;        // /U: every step done (a file in use: restartNeeded)
constexpr int notAllRemoved = 1;     // /U: a step refused for one file at least
constexpr int badCommandLine = 87;   // ERROR_INVALID_PARAMETER
constexpr int closedBeforeThePass = 1602;  // ERROR_INSTALL_USEREXIT
constexpr int brokenOff = 1603;      // ERROR_INSTALL_FAILURE
constexpr int alreadyRunning = 1618;  // ERROR_INSTALL_ALREADY_RUNNING
}  // namespace exitcode

// `restartNeeded`: a file in use waits for the next restart to be replaced.
int exitCode(PassResult result, bool restartNeeded = false);
int exitCode(CheckResult result);
int exitCode(UninstallResult result, bool restartNeeded = false);

// The file the run writes beside the program, unless /LOG= names another.
inline constexpr std::string_view kLogName = "RegistroOCX.log";
inline constexpr std::string_view kCheckReportName = "ComprobacionOCX.log";
std::string_view resultsFileName(const CommandLine& options);

// The box that ends a watched pass that left a file for the restart. The
// program never restarts the PC itself.
inline constexpr std::string_view kRestartNeeded =
    "Reinicie el equipo para terminar la instalaci\xC3\xB3n: uno o m\xC3\xA1s archivos estaban en uso y se "
    "sustituir\xC3\xA1n al reiniciar.";
// The same for /U, whose files in use are deleted then.
inline constexpr std::string_view kRestartToRemove =
    "Reinicie el equipo para terminar: uno o m\xC3\xA1s archivos estaban en uso y se borrar\xC3\xA1n al reiniciar.";

// What the program does once its command line is read.
struct Start {
    enum class Run { nothing, pass, check, uninstall };
    enum class Box { none, error, information };
    Run run = Run::nothing;
    int exitCode = 0;  // when nothing runs
    Box box = Box::none;
    std::string text;  // the box's
};

// `holdResultsFile` is asked only for a line that runs something: whether
// the results file can be made where the line puts it. A line turned away
// shows no box when a quiet switch is written anywhere in it.
Start decideStart(const CommandLine& options, const std::function<bool()>& holdResultsFile);

// Whether someone may be at the screen: only then does the program show a
// box, open the viewer, or bring the window of a run that holds the
// one-instance lock to the front (this one then ends with
// exitcode::alreadyRunning).
bool watched(const CommandLine& options);
// The viewer opens only where someone watches and could answer it (not in
// session 0, nor on a window station nobody sees).
bool opensViewer(const CommandLine& options, bool someoneCanAnswer);

// The system's side of a run, made by the entry point.
class Host {
public:
    virtual ~Host() = default;
    // Loads the window with the logic's handlers (shown unless the run is
    // unattended), prepares the viewer's route once it shows, then runs the
    // event loop until the program ends.
    virtual void run(FormEvents& events) = 0;
    // The error a handler did not trap, which ended the program.
    virtual std::optional<PlatformError> untrapped() const = 0;
    // The viewer's route prepared, where there is a viewer.
    virtual void prepareViewer() = 0;
    // The viewer's start awaited; false when it could not be started (its
    // report was shown).
    virtual bool finishViewer() = 0;
    // A line added to the end of the results file.
    virtual void appendLine(const std::string& line) = 0;
    // A box with an OK button and the information icon, once the window
    // is gone; skipped where nobody can answer it.
    virtual void inform(const std::string& text) = 0;
};

// The system's own objects of the pass, around which each switch puts its
// wrappers.
struct PassParts {
    Form& form;
    Runtime& runtime;
    ModuleLoader& loader;
    const VersionReader& versions;
    const Probe& probe;  // for the detailed log's causes
    const SystemFolders& folders;  // whether WINDIR is the system's Windows folder
    SharedFiles& shared;  // the shared files' counts
    RestartRenames& renames;  // a file in use replaced at the next restart
};

int runPass(const CommandLine& options, Host& host, PassParts parts);
// The pass undone (/U): the same window, switches and log as the pass.
int runUninstall(const CommandLine& options, Host& host, PassParts parts);
int runCheck(const CommandLine& options, Host& host, Runtime& runtime, const Probe& files, const CheckProbe& pc,
             const SharedFiles& shared, const SystemFolders& folders);

}  // namespace trevanil

#include "app/program.h"

#include <memory>
#include <utility>

#include "app/form_design.h"
#include "app/frm_trevanil.h"
#include "app/quiet_runtime.h"
#include "detail/detail_collector.h"
#include "detail/detailed_loader.h"
#include "detail/detailed_runtime.h"
#include "detail/log_texts.h"
#include "install/copy_record.h"
#include "install/registered_file.h"
#include "install/replace_at_restart.h"
#include "install/shared_counts.h"
#include "install/version_rule.h"
#include "install/windows_folder.h"
#include "platform/resume_next.h"
#include "platform/text.h"

namespace trevanil {

namespace {

// What the detailed log adds (/V): a collector that the runtime and the
// loader tell what did not happen; the log gets its lines as it closes.
struct Detailed {
    Detailed(Runtime& wrapped, ModuleLoader& wrappedLoader, const Probe& probe)
        : collector(probe), runtime(wrapped, collector), loader(wrappedLoader, collector) {}
    DetailCollector collector;
    DetailedRuntime runtime;
    DetailedLoader loader;
};

// The reports of a run without boxes, and the error that ended it, go to
// the end of the results file, where the run itself created that file.
void appendReports(Host& host, const QuietRuntime& quiet, const std::string& resultsFile) {
    std::vector<std::string> reports = quiet.reports();
    if (const auto untrapped = host.untrapped()) reports.push_back(errorReport(*untrapped));
    if (!quiet.created(resultsFile)) return;
    for (const std::string& report : reports) host.appendLine(logtext::kReportMark + report);
}

}  // namespace

int exitCode(PassResult result, bool restartNeeded) {
    switch (result) {
    case PassResult::allRegistered: return restartNeeded ? exitcode::restartNeeded : exitcode::allRegistered;
    case PassResult::notAllRegistered: return exitcode::notAllRegistered;
    case PassResult::notRun: return exitcode::closedBeforeThePass;
    case PassResult::brokenOff: break;
    }
    return exitcode::brokenOff;
}

int exitCode(UninstallResult result, bool restartNeeded) {
    switch (result) {
    case UninstallResult::allDone: return restartNeeded ? exitcode::restartNeeded : exitcode::allRemoved;
    case UninstallResult::notAllDone: return exitcode::notAllRemoved;
    case UninstallResult::notRun: return exitcode::closedBeforeThePass;
    case UninstallResult::brokenOff: break;
    }
    return exitcode::brokenOff;
}

int exitCode(CheckResult result) {
    switch (result) {
    case CheckResult::allRight: return exitcode::allRight;
    case CheckResult::notAllRight: return exitcode::notAllRight;
    case CheckResult::brokenOff: break;
    }
    return exitcode::brokenOff;
}

std::string_view resultsFileName(const CommandLine& options) {
    return options.check ? kCheckReportName : kLogName;
}

// Bad input is turned away before anything exists: no window, no file, no
// copy.
Start decideStart(const CommandLine& options, const std::function<bool()>& holdResultsFile) {
    // A line turned away, with the usage after why; no box with a quiet switch.
    const auto refused = [&](const std::string& why) {
        if (options.quietWritten) return Start{Start::Run::nothing, exitcode::badCommandLine, Start::Box::none, {}};
        return Start{Start::Run::nothing, exitcode::badCommandLine, Start::Box::error, why + "\n\n" + usageText()};
    };
    if (!options.error.empty()) return refused(options.error);
    if (options.usage) {
        // With a quiet switch nothing may be shown, so nothing is done.
        if (options.quietWritten) return {Start::Run::nothing, exitcode::badCommandLine, Start::Box::none, {}};
        return {Start::Run::nothing, exitcode::usageShown, Start::Box::information, usageText()};
    }
    if (!holdResultsFile()) {
        return refused("No se puede crear el archivo de resultados en " + options.logPath.value_or(std::string()) +
                       ": la carpeta no existe o la ruta es la de una carpeta.");
    }
    using Run = Start::Run;
    return {options.check ? Run::check : options.uninstall ? Run::uninstall : Run::pass, 0, Start::Box::none, {}};
}

bool watched(const CommandLine& options) { return !options.quiet; }

bool opensViewer(const CommandLine& options, bool someoneCanAnswer) { return watched(options) && someoneCanAnswer; }

// The window, its runtime and its logic, then the event loop until the
// program ends. The unattended run and the detailed log differ only in the
// objects put around the system's own here.
int runPass(const CommandLine& options, Host& host, PassParts parts) {
    // A newer file is never copied over, an older one in use is replaced at
    // the next restart; what the copies wrote is heard first-hand, and the
    // registration never loads it.
    ReplaceAtRestartRuntime atRestart(parts.runtime, parts.renames);
    KeepNewerRuntime keepingNewer(atRestart, parts.versions);
    CopyRecord copies;
    RecordingRuntime recording(keepingNewer, copies);
    std::optional<Detailed> detailed;
    if (options.verbose) detailed.emplace(recording, parts.loader, parts.probe);
    Runtime& base = detailed ? static_cast<Runtime&>(detailed->runtime) : recording;
    ModuleLoader& loader = detailed ? static_cast<ModuleLoader&>(detailed->loader) : parts.loader;
    // WINDIR only where it is the system's Windows folder: else nothing is
    // copied or loaded, and the detailed log says why first.
    const WindowsFolderChoice windows = windowsFolderFrom(parts.runtime.environment("WINDIR"), parts.folders);
    if (detailed && windows.refused) detailed->collector.add(*windows.refused);
    // Each file in System32 after its copy is counted as a shared file; the
    // detailed log says what was not counted, after the copy's own line.
    CountHeard notCounted;
    if (detailed) notCounted = [&](const Cause& cause) { detailed->collector.add(cause); };
    SharedCountRuntime counting(base, parts.shared, windows.folders.windows, notCounted);
    QuietRuntime quiet(counting);
    Runtime& runtime = options.quiet ? static_cast<Runtime&>(quiet) : counting;
    // A component whose System32 copy is newer, and not this run's copy, is
    // registered from there; the detailed log says which file was.
    RegisteredFile::Heard fromSystem32;
    if (detailed) {
        fromSystem32 = [&](const Cause& made) { detailed->collector.add(made); };
    }
    const RegisteredFile registered(parts.versions, copies, fromSystem32);
    FrmTrevanil frmTrevanil(parts.form, runtime, loader, windows.folders, registered);
    host.run(frmTrevanil);
    const bool viewerStarted = host.finishViewer();
    if (viewerStarted) appendReports(host, quiet, parts.runtime.logPath());
    const bool restartNeeded = !atRestart.waiting().empty();
    if (restartNeeded && watched(options)) host.inform(std::string(kRestartNeeded));
    if (!viewerStarted || host.untrapped()) return exitcode::brokenOff;
    return exitCode(frmTrevanil.result(), restartNeeded);
}

// The pass undone (/U): the counts taken back in the window's timer, with
// the pass's switches; the System32 file a component is unregistered from
// is chosen as the pass chooses it, where no copy of this run wrote one.
int runUninstall(const CommandLine& options, Host& host, PassParts parts) {
    std::optional<Detailed> detailed;
    if (options.verbose) detailed.emplace(parts.runtime, parts.loader, parts.probe);
    Runtime& base = detailed ? static_cast<Runtime&>(detailed->runtime) : parts.runtime;
    ModuleLoader& loader = detailed ? static_cast<ModuleLoader&>(detailed->loader) : parts.loader;
    const WindowsFolderChoice windows = windowsFolderFrom(parts.runtime.environment("WINDIR"), parts.folders);
    if (detailed && windows.refused) detailed->collector.add(*windows.refused);
    QuietRuntime quiet(base);
    Runtime& runtime = options.quiet ? static_cast<Runtime&>(quiet) : base;
    const CopyRecord noCopies;
    const RegisteredFile registered(parts.versions, noCopies);
    CountTakeBack::Heard heard;
    if (detailed) heard = [&](const Cause& cause) { detailed->collector.add(cause); };
    CountTakeBack takeBack(parts.shared, parts.renames, loader, registered, windows.folders, heard);
    UninstallPass pass(parts.form, runtime, takeBack);
    FrmTrevanil frmTrevanil(parts.form, runtime, [&] { pass.uninstall(); });
    host.run(frmTrevanil);
    const bool viewerStarted = host.finishViewer();
    if (viewerStarted) appendReports(host, quiet, parts.runtime.logPath());
    const bool restartNeeded = !takeBack.waiting().empty();
    if (restartNeeded && watched(options)) host.inform(std::string(kRestartToRemove));
    if (!viewerStarted || host.untrapped()) return exitcode::brokenOff;
    return exitCode(pass.result(), restartNeeded);
}

// The check of the PC (/C): no window, nothing copied or registered; the
// report goes where the log would, under its own name, and is shown as the
// log is.
int runCheck(const CommandLine& options, Host& host, Runtime& system, const Probe& files, const CheckProbe& pc,
             const SharedFiles& shared, const SystemFolders& folders) {
    host.prepareViewer();
    // The report ends with why WINDIR was not used, when it was not.
    const WindowsFolderChoice windows = windowsFolderFrom(system.environment("WINDIR"), folders);
    DetailCollector refusal(files);
    if (windows.refused) refusal.add(*windows.refused);
    DetailedRuntime reported(system, refusal);
    QuietRuntime quiet(reported);
    Runtime& runtime = options.quiet ? static_cast<Runtime&>(quiet) : reported;
    std::vector<std::string> names;
    for (const std::string_view item : frmTrevanilDesign().items) names.push_back(trim(item));
    const int code = exitCode(checkPc(runtime, windows.folders, names, files, pc, shared));
    if (!host.finishViewer()) return exitcode::brokenOff;
    appendReports(host, quiet, system.logPath());
    return code;
}

}  // namespace trevanil

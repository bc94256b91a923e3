#include "app/viewer.h"

#include <utility>

#include "platform/error.h"

namespace trevanil {

namespace {

// The system's editor; on a command line, a bare name without an extension
// means ".exe".
constexpr char kProgramName[] = "notepad";
constexpr char kProgramFile[] = "notepad.exe";
constexpr char kLocalSystem[] = "S-1-5-18";

std::string inFolder(std::string folder, const std::string& name) {
    if (folder.back() != '\\') folder += '\\';
    return folder + name;
}

// Only a token known to be neither elevated nor the system account's: a
// shell that runs as either (a replaced shell, a service's desktop) would
// give whoever sits at the keyboard an editor with those rights.
bool mayUse(const TokenFacts& token) {
    return token.elevated == false && !token.user.empty() && token.user != kLocalSystem;
}

}  // namespace

void ViewerLaunch::prepare() {
    if (throughShell_) system_.lookForShell();
}

// Notepad is taken from the system folder and nowhere else: the program runs
// elevated from a download folder, where a planted executable must never be
// picked up (so neither its own folder, the current one nor PATH). It starts
// in the system folder too, not in the one this program was started from.
void ViewerLaunch::open(const std::string& path) {
    const std::string system = system_.systemFolder();
    if (system.empty()) throw PlatformError(errnum::fileNotFound);
    const std::string program = inFolder(system, kProgramFile);
    if (!system_.isPlainFile(program)) throw PlatformError(errnum::fileNotFound);
    start_ = ViewerStart{program, std::string(kProgramName) + " " + path, path, system};
    // A 32-bit program on 64-bit Windows sees SysWOW64 under the system
    // folder's name; the shell, a 64-bit process, would take that name for
    // the 64-bit folder and start another file than the one checked here.
    const std::optional<std::string> wow64 = system_.wow64Folder();
    shellProgram_ = !wow64 ? program : wow64->empty() ? std::string() : inFolder(*wow64, kProgramFile);
    if (shellProgram_.empty() || !throughShell_) return;
    ViewerStart shell = *start_;
    shell.program = shellProgram_;
    system_.askShell(shell);
    asked_ = true;
}

void ViewerLaunch::finish() {
    if (!start_) return;
    const ViewerStart start = *std::exchange(start_, std::nullopt);
    if (asked_ && system_.shellAnswered()) return;
    // The shell's own token, where the shell did not answer or refused; its
    // process names the program as the shell does.
    if (!shellProgram_.empty()) {
        const std::unique_ptr<ShellToken> token = system_.shellToken();
        ViewerStart shell = start;
        shell.program = shellProgram_;
        if (token && mayUse(token->facts()) && token->start(shell)) return;
    }
    // This program's own token never starts it when that token is elevated,
    // or when the system does not say.
    if (system_.ownToken().elevated.value_or(true)) return;
    system_.startItself(start);
}

// The desktop's shell, asked again until the wait is over: one that has only
// just started (Wine's starts with the first window of the session) serves
// its object a little later.
bool ShellSearch::lookFor(ShellWorker& worker) {
    for (;;) {
        if (worker.findShell()) return true;
        if (stage_ == kAbandoned || worker.now() + kRetryMs >= deadline_) return false;
        worker.pause(kRetryMs);
    }
}

bool ShellSearch::find(ShellWorker& worker) { return lookFor(worker) && move(kFinding, kReady); }

void ShellSearch::deliver(ShellWorker& worker) {
    for (;;) {
        if (!move(kReady, kAsking)) return;
        const ShellWorker::Answer answer = worker.ask(request_);
        if (answer != ShellWorker::Answer::gone) {
            started_ = answer == ShellWorker::Answer::started;
            return;
        }
        // Not asked after all (the shell had gone: Wine's desktop ends with
        // the last window of its session): the shell that took its place is,
        // within the caller's wait.
        if (!move(kAsking, kReady) || !lookFor(worker)) return;
    }
}

bool ShellSearch::answered(ShellWait& wait) {
    if (wait.workerEnded(deadline_)) return started_;
    if (move(kFinding, kAbandoned)) return false;  // no shell reached in time
    // Reached: the request itself is given the same time again.
    if (wait.workerEnded(wait.now() + kWaitMs)) return started_;
    return !move(kReady, kAbandoned);  // asked: it may still start it
}

}  // namespace trevanil

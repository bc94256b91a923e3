// The viewer: the log (or the check's report) opened in Notepad for whoever
// sits at the screen, with that user's rights rather than this program's: an
// editor started by an elevated program would be elevated too, and its Open
// dialog could start anything as administrator. Which program, where it is
// taken from, who is asked to start it and when to give up are decided here;
// the system only answers questions and takes single steps.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime.h"

namespace trevanil {

// What a process's token says of itself; what the system does not tell
// stays unknown.
struct TokenFacts {
    std::optional<bool> elevated;
    std::string user;  // its user's SID ("S-1-5-21-…"); empty when unknown
};

// One start of the viewer's program.
struct ViewerStart {
    std::string program;      // a full path
    std::string commandLine;  // as the program sees it
    std::string arguments;    // the command line's arguments alone (the desktop shell is given these)
    std::string folder;       // its current folder
};

// The desktop shell's process's token, held until this goes.
class ShellToken {
public:
    virtual ~ShellToken() = default;
    virtual TokenFacts facts() const = 0;
    // False when the system refuses.
    virtual bool start(const ViewerStart& start) = 0;
};

// What the viewer asks of the system.
class ViewerSystem {
public:
    virtual ~ViewerSystem() = default;
    virtual std::string systemFolder() const = 0;  // empty when the system does not say
    // Where the desktop shell, a 64-bit process, finds what this program
    // sees as the system folder: none when this is not a 32-bit program on
    // 64-bit Windows, empty when the system does not say.
    virtual std::optional<std::string> wow64Folder() const = 0;
    virtual bool isPlainFile(const std::string& path) const = 0;
    // The route to the desktop shell (a ShellSearch on a worker of its own):
    // started once; asked once (started first if need be); whether the shell
    // took the request (false where it was never asked).
    virtual void lookForShell() = 0;
    virtual void askShell(const ViewerStart& start) = 0;
    virtual bool shellAnswered() = 0;
    // Null when there is no shell window or its token cannot be had.
    virtual std::unique_ptr<ShellToken> shellToken() = 0;
    virtual TokenFacts ownToken() const = 0;
    // This program starts it itself; raises when the system refuses.
    virtual void startItself(const ViewerStart& start) = 0;
};

// The viewer's launch: `prepare` starts looking for the desktop shell, `open`
// checks the program and hands it to the shell at once, `finish` waits for
// the shell's answer and takes the other ways where it did not start it.
class ViewerLaunch final : public Viewer {
public:
    // `throughShell`: whether the desktop shell may be asked at all (only
    // where COM's security is this program's).
    ViewerLaunch(ViewerSystem& system, bool throughShell) noexcept : system_(system), throughShell_(throughShell) {}

    void prepare();
    // Raises 53 when Notepad is not in the system folder.
    void open(const std::string& path) override;
    // Raises when this program had to start it and could not.
    void finish();

private:
    ViewerSystem& system_;
    bool throughShell_;
    std::optional<ViewerStart> start_;
    std::string shellProgram_;  // the program as the shell names it; empty: neither the shell nor its token
    bool asked_ = false;
};

// The worker's steps on the route to the desktop shell.
class ShellWorker {
public:
    enum class Answer { started, refused, gone };  // gone: it never reached the shell's process
    virtual ~ShellWorker() = default;
    virtual std::uint64_t now() const = 0;  // milliseconds
    virtual void pause(std::uint32_t milliseconds) = 0;
    // The desktop shell's object, found and held for `ask`.
    virtual bool findShell() = 0;
    virtual Answer ask(const ViewerStart& start) = 0;
};

// The caller's steps: the clock, and the wait for the worker.
class ShellWait {
public:
    virtual ~ShellWait() = default;
    virtual std::uint64_t now() const = 0;
    // Whether the worker ended by `deadline` (a `now()` value).
    virtual bool workerEnded(std::uint64_t deadline) = 0;
};

// The route to the desktop shell, shared by the worker that looks for it and
// the caller. Until the shell is asked to start the program the caller may
// give up, and then starts it another way; once asked, the shell may start it
// however late, and a second copy must not be started.
class ShellSearch {
public:
    // The shell's calls cross into another process, which may hang: the
    // caller waits this long for it to be reached.
    static constexpr std::uint64_t kWaitMs = 5000;
    static constexpr std::uint32_t kRetryMs = 50;

    explicit ShellSearch(std::uint64_t now) noexcept : deadline_(now + kWaitMs) {}

    // The worker, first: whether the shell was found and the caller may still
    // ask it.
    bool find(ShellWorker& worker);
    // The worker, once the request is given: asks the shell, and the one that
    // took its place where it had gone, within the wait.
    void deliver(ShellWorker& worker);

    // The caller, once: what the shell is asked to start.
    void give(ViewerStart start) { request_ = std::move(start); }
    // The caller: whether the shell took the request. A shell not reached
    // within the wait is given up; one reached and asked counts as having
    // started the program even if it has not answered yet.
    bool answered(ShellWait& wait);
    // The caller lets go without asking: the worker ends without asking.
    void abandon() noexcept { stage_ = kAbandoned; }

private:
    enum Stage : int { kFinding, kReady, kAsking, kAbandoned };
    bool lookFor(ShellWorker& worker);
    bool move(int from, int to) noexcept { return stage_.compare_exchange_strong(from, to); }

    const std::uint64_t deadline_;  // for the shell to be reached
    std::atomic<int> stage_{kFinding};
    std::atomic<bool> started_{false};
    ViewerStart request_;
};

}  // namespace trevanil

#include "viewer_system.h"

#include <windows.h>

#include <atomic>
#include <new>
#include <utility>

#include "platform/win32/paths.h"
#include "platform/win32/process_token.h"
#include "platform/win32/shell_launch.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_services.h"

namespace trevanil::win32 {

// The viewer is shown as any program the user starts.
constexpr int kShow = SW_SHOWNORMAL;

struct Win32ViewerSystem::Route {
    ShellSearch search{::GetTickCount64()};
    unique_handle given{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set once the request is given
    std::atomic<int> owners{2};
};

namespace {

using Route = Win32ViewerSystem::Route;

void letGo(Route* route) {
    if (--route->owners == 0) delete route;
}

class Worker final : public ShellWorker {
public:
    bool usable() const noexcept { return shell_.usable(); }
    std::uint64_t now() const override { return ::GetTickCount64(); }
    void pause(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
    bool findShell() override { return shell_.find(); }
    Answer ask(const ViewerStart& start) override {
        switch (shell_.ask(toWide(start.program), toWide(start.arguments), toWide(start.folder), kShow)) {
        case DesktopShell::Answer::started: return Answer::started;
        case DesktopShell::Answer::gone: return Answer::gone;
        case DesktopShell::Answer::refused: break;
        }
        return Answer::refused;
    }

private:
    DesktopShell shell_;
};

class Wait final : public ShellWait {
public:
    explicit Wait(HANDLE worker) noexcept : worker_(worker) {}
    std::uint64_t now() const override { return ::GetTickCount64(); }
    bool workerEnded(std::uint64_t deadline) override { return threadEnded(worker_, deadline); }

private:
    HANDLE worker_;
};

// Finds the shell, then waits for the request and asks it.
void serve(Route& route) {
    Worker worker;
    if (!worker.usable() || !route.search.find(worker)) return;
    ::WaitForSingleObject(route.given.get(), INFINITE);
    route.search.deliver(worker);
}

class Win32ShellToken final : public ShellToken {
public:
    explicit Win32ShellToken(ProcessToken token) noexcept : token_(std::move(token)) {}
    TokenFacts facts() const override { return {token_.elevated(), token_.user()}; }
    bool start(const ViewerStart& start) override {
        return token_.start(toWide(start.program), toWide(start.commandLine), toWide(start.folder), kShow);
    }

private:
    ProcessToken token_;
};

}  // namespace

Win32ViewerSystem::~Win32ViewerSystem() {
    if (route_ == nullptr) return;
    if (!asked_) {
        // A worker still looking, or waiting, ends without asking.
        route_->search.abandon();
        ::SetEvent(route_->given.get());
    }
    letGo(route_);
}

std::string Win32ViewerSystem::systemFolder() const { return toUtf8(win32::systemFolder()); }

std::optional<std::string> Win32ViewerSystem::wow64Folder() const {
    const std::optional<std::wstring> folder = win32::wow64Folder();
    if (!folder) return std::nullopt;
    return toUtf8(*folder);
}

bool Win32ViewerSystem::isPlainFile(const std::string& path) const { return win32::isPlainFile(toWide(path)); }

void Win32ViewerSystem::lookForShell() {
    if (started_) return;
    started_ = true;
    Route* route = new (std::nothrow) Route;
    if (route == nullptr) return;
    if (!route->given) {
        delete route;
        return;
    }
    worker_ = startComWorker([route](bool com) {
        if (com) serve(*route);
        letGo(route);
    });
    if (!worker_) {
        delete route;
        return;
    }
    route_ = route;
}

void Win32ViewerSystem::askShell(const ViewerStart& start) {
    lookForShell();
    if (route_ == nullptr || asked_) return;
    route_->search.give(start);
    asked_ = true;
    ::SetEvent(route_->given.get());
    letShellTakeForeground();
}

bool Win32ViewerSystem::shellAnswered() {
    if (route_ == nullptr || !asked_) return false;
    Wait wait(worker_.get());
    return route_->search.answered(wait);
}

std::unique_ptr<ShellToken> Win32ViewerSystem::shellToken() {
    ProcessToken token = ProcessToken::ofShell();
    if (!token) return nullptr;
    return std::make_unique<Win32ShellToken>(std::move(token));
}

TokenFacts Win32ViewerSystem::ownToken() const {
    const ProcessToken token = ProcessToken::own();
    return {token.elevated(), token.user()};
}

void Win32ViewerSystem::startItself(const ViewerStart& start) {
    startProgram(toWide(start.program), toWide(start.commandLine), toWide(start.folder), kShow);
}

}  // namespace trevanil::win32

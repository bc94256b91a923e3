// An in-memory stand-in for the window, the runtime, the file-system object,
// the module loader, the version reader, the shared files' counts and the renames at the restart. Every call that
// changes something is appended to one ordered journal ("copyFile A -> B", "progress 12.5", "call DllRegisterServer");
// reads (list items, paths, environment, handle) are only counted. Any call,
// read or change, can be made to raise on its n-th use.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_version.h"
#include "platform/error.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "detail/probe.h"
#include "platform/restart_renames.h"
#include "platform/runtime.h"
#include "platform/shared_files.h"

namespace trevanil::fake {

// A loadable component: its exports and the status each returns.
using FakeModule = std::map<std::string, std::int32_t>;

class FakePlatform;

class FakeListBox : public ListBox {
public:
    explicit FakeListBox(const FakePlatform& platform) : platform_(platform) {}
    std::int16_t listCount() const override;
    std::string list(std::int16_t index) const override;
    std::vector<std::string> items;

private:
    const FakePlatform& platform_;
};

class FakeProgressBar : public ProgressBar {
public:
    explicit FakeProgressBar(FakePlatform& platform) : platform_(platform) {}
    float value() const override { return value_; }
    void setValue(float value) override;

private:
    FakePlatform& platform_;
    float value_ = 0.0f;
};

class FakeTimer : public Timer {
public:
    FakeTimer(FakePlatform& platform, std::string name, std::int32_t interval, bool enabled)
        : platform_(platform), name_(std::move(name)), interval_(interval), enabled_(enabled) {}
    std::int32_t interval() const override { return interval_; }
    bool enabled() const override { return enabled_; }
    void setInterval(std::int32_t milliseconds) override;
    void setEnabled(bool enabled) override;

private:
    FakePlatform& platform_;
    std::string name_;
    std::int32_t interval_;
    bool enabled_;
};

class FakePlatform : public Form, public Runtime, public ModuleLoader, public VersionReader, public SharedFiles,
                     public RestartRenames {
public:
    // The design-time list; program folder C:\app holding the five files;
    // WINDIR C:\WINDOWS; each component in C:\WINDOWS\System registering with 0.
    FakePlatform();

    // --- set-up
    void fail(const std::string& op, int nth, std::int32_t number, std::string description);
    std::string appFolder = "C:\\app";
    std::string logFile;  // empty: RegistroOCX.log in appFolder
    std::map<std::string, std::string> env{{"WINDIR", "C:\\WINDOWS"}};
    std::int32_t handle = 0x1234;
    std::map<std::string, std::string> files;    // path -> bytes
    std::map<std::string, FakeModule> modules;   // path -> exports
    std::map<std::string, FileVersion> versions;  // path -> version; none for a file not listed
    std::uint32_t loadError = 126;               // what a load of any other path gives
    std::function<void()> onDoEvents;            // runs inside doEvents
    std::function<void()> onMsgBox;              // runs while the box is shown
    std::map<std::string, RegistryValue> sharedDlls, counted;  // the keys of SharedKey::counts and ::counted
    std::map<std::string, std::uint32_t> refused;  // destination -> the system error a copy onto it raises
    std::set<std::string> held;                  // files another program holds (inUse)
    std::vector<std::string> pendingList;        // the renames at the restart, as the system lists them
    bool wow64 = false;                          // C:\WINDOWS\System32 is read at boot as SysWOW64

    // --- what happened
    std::vector<std::string> journal;
    std::set<std::string> openFiles;             // text streams not yet closed
    std::vector<std::int32_t> callHandles;       // window handle of every entry-point call
    // The journal's entries of one operation (any: "") that hold `part`.
    std::vector<std::string> only(const std::string& op, const std::string& part = {}) const;
    int count(const std::string& op) const { return static_cast<int>(only(op).size()); }

    FakeListBox list1{*this}, list2{*this};
    FakeProgressBar bar{*this};
    FakeTimer timer1{*this, "timer1", 0, false}, timer2{*this, "timer2", 1000, true};

    // --- Form
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override;
    std::int32_t hWnd() const override;
    ListBox& List1() override { return list1; }
    ListBox& List2() override { return list2; }
    ProgressBar& ProgressBar1() override { return bar; }
    Timer& Timer1() override { return timer1; }
    Timer& Timer2() override { return timer2; }
    void unload() override;

    // --- Runtime
    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;
    std::string appPath() const override;
    std::string logPath() const override;
    std::string environment(std::string_view name) const override;
    void openViewer(const std::string& path) override;
    void doEvents() override;
    void msgBox(const std::string& prompt) override;
    void end() override;

    // --- ModuleLoader
    std::unique_ptr<Module> load(const std::string& path) override;
    std::uint32_t lastError() const override { return loadError; }

    // --- VersionReader
    std::optional<FileVersion> versionOf(const std::string& path) const override;

    // --- SharedFiles ("setNumber <name> <number>" journaled)
    bool fileExists(const std::string& path) const override { return files.count(path) != 0; }
    RegistryValue value(SharedKey key, const std::string& name) const override;
    void setNumber(SharedKey key, const std::string& name, std::uint32_t number) override;
    void removeValue(SharedKey key, const std::string& name) override {
        change("removeValue", name), (key == SharedKey::counts ? sharedDlls : counted).erase(name);
    }
    void removeFile(const std::string& path) override {  // refused as a copy onto it is
        change("removeFile", path), refused.count(path) ? throw PlatformError(70, "Permiso denegado", refused[path])
                                                        : void(files.erase(path));
    }
    // --- RestartRenames
    std::string bootPath(const std::string& path) const override;
    bool inUse(const std::string& path) const override { return read("inUse"), held.count(path) != 0; }
    std::vector<std::string> pending() const override { return read("pending"), pendingList; }
    void schedule(const std::string& from, const std::string& to) override {
        change("schedule", from + " -> " + to);
        pendingList.insert(pendingList.end(), {"\\??\\" + from, "!\\??\\" + to});
    }
    void scheduleDeletion(const std::string& path) override {
        change("scheduleDeletion", path), pendingList.insert(pendingList.end(), {"\\??\\" + path, ""});
    }
    void discard(const std::string& path) noexcept override { journal.push_back("discard " + path), files.erase(path); }

    // Journals one change (op, then detail) and raises if it is due to fail;
    // a failing change is journaled with " [error N]" appended.
    void change(const std::string& op, const std::string& detail = {});
    // Counts one read and raises if it is due to fail.
    void read(const std::string& op) const;

private:
    struct Fault {
        std::string op;
        int nth;
        std::int32_t number;
        std::string description;
    };
    const Fault* due(const std::string& op) const;  // counts the call

    std::vector<Fault> faults_;
    mutable std::map<std::string, int> calls_;
    std::string caption_ = "Trevanil";
};

// The diagnosis's questions answered from memory: files (path -> bytes) as
// the caller holds them, the system folder C:\WINDOWS\System32, the DLLs the
// system supplies, texts by number ("%1" takes the subject). With `broken`,
// every question raises std::bad_alloc; with `wow64`, C:\WINDOWS\System32 is
// reached as SysWOW64.
class FakeProbe : public Probe {
public:
    explicit FakeProbe(const std::map<std::string, std::string>& files) : files_(files) {}
    std::set<std::string> bySystem{"KERNEL32.dll"};
    std::map<std::uint32_t, std::string> texts{
        {5, "Acceso denegado."}, {193, "%1 no es v\xC3\xA1lida."}, {0x80070005, "Acceso denegado."}};
    std::set<std::string> unreadable;  // there, but their bytes cannot be read
    bool broken = false;
    bool wow64 = false;

    bool fileExists(const std::string& path) const override { return ask(), files_.count(path) != 0; }
    std::unique_ptr<FileBytes> bytes(const std::string& path) const override;
    std::string reachedPath(const std::string& path) const override;
    std::string systemFolder() const override { return ask(), "C:\\WINDOWS\\System32"; }
    bool suppliedBySystem(const std::string& dll) const override { return ask(), bySystem.count(dll) != 0; }
    std::string errorText(std::uint32_t code, const std::string& subject) const override;
    std::string statusText(std::uint32_t status) const override { return errorText(status, {}); }

private:
    void ask() const;
    const std::map<std::string, std::string>& files_;
};

}  // namespace trevanil::fake

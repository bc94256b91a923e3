// The program runs elevated from whatever folder the components were
// unpacked into: an executable or DLL planted there (or in the current
// folder, the same one) must never run. Each case plants copies of test
// fixtures under the names a careless search would pick up, runs one real
// pass and reads what the plants recorded.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/strings.h"
#include "program_run.h"
#include "test_support.h"
#include "window_support.h"

namespace trevanil::test {
namespace {

using win32::toUtf8;
using win32::toWide;

std::string systemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return toUtf8(std::wstring(buffer, n));
}

// A file that is gone before and after the test.
class Scratch {
public:
    explicit Scratch(std::string path) : path_(std::move(path)) { remove(); }
    ~Scratch() { remove(); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& path() const { return path_; }

private:
    void remove() const { ::DeleteFileW(toWide(path_).c_str()); }
    std::string path_;
};

class SafeSearch : public ProgramSuite {
protected:
    // Runs the program to its end; no message box may show.
    static void runToEnd(const Stage& stage, const ProgramRun::Variables& extra = {},
                         DWORD exitCode = exitcode::allRegistered) {
        ProgramRun run(stage, extra);
        MessageBoxWatcher watcher(run.id(), 60000);
        ASSERT_TRUE(run.waitForExit(120000)) << "the program did not end";
        EXPECT_EQ(run.exitCode(), exitCode);
        const auto box = watcher.result();
        EXPECT_FALSE(box.has_value()) << toUtf8(box ? box->text : L"");
    }
};

// "notepad" is looked up in the system folder only, not beside the program
// (nor in the current folder, the same one), which a plain search of a bare
// name tries first. Each stand-in records beside itself, so the records tell
// which one ran.
TEST_F(SafeSearch, APlantedNotepadBesideTheProgramIsNotRun) {
    Stage stage("fixture_recording.dll");
    const Scratch systemRecord(systemFolder() + "\\notepad-calls.log");
    const std::string plantedRecord = stage.app() + "\\notepad-calls.log";
    copyInto(fixture("notepad_standin.exe"), stage.app() + "\\notepad.exe");

    runToEnd(stage, {{L"TREVANIL_NOTEPAD_LOG", L""}});

    waitFor([&] { return fileExists(systemRecord.path()) || fileExists(plantedRecord); }, 30000);
    EXPECT_FALSE(fileExists(plantedRecord)) << "the planted notepad.exe ran";
    ASSERT_TRUE(waitFor([&] { return fileExists(systemRecord.path()); }, 1000))
        << "the system folder's notepad did not run";
    waitFor([&] { return !lines(readFile(systemRecord.path())).empty(); }, 5000);
    EXPECT_EQ(lines(readFile(systemRecord.path())), std::vector<std::string>{"notepad " + stage.log()});
}

// System DLLs that the program, or a system library on its behalf (themes,
// the window manager, text services, accessibility, the shell), may load
// after it has started. Each can be caught: loaded by its bare name without
// the program's restriction, every one is taken from the program folder.
// Not here: comctl32.dll, which the manifest's request for common controls 6
// sends to the side-by-side copy before any search, so no plant could be
// caught; and the ones Wine's own libraries import before the program's
// first line runs (version, imm32, rpcrt4, combase), where no code of the
// program can help and a native plant only stops the start.
const std::vector<std::string> kSystemDllNames = {
    "uxtheme.dll", "dwmapi.dll", "oleaut32.dll",         "msimg32.dll", "usp10.dll",   "msctf.dll",
    "oleacc.dll",  "propsys.dll", "uiautomationcore.dll", "winmm.dll",   "shell32.dll", "apphelp.dll",
};

// Wine takes its own builtin for a system DLL's name even where the search
// finds a file of that name first, so a careless search would go unnoticed.
// Told (for Trevanil.exe only, in the registry it reads at each start) to
// prefer a native file, it loads whichever file the search finds first, as
// Windows does for every DLL that is not a known one. Harmless elsewhere.
class NativeFirst {
public:
    explicit NativeFirst(const std::vector<std::string>& names) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            throw std::runtime_error("cannot write the DLL overrides");
        }
        static const wchar_t kOrder[] = L"native,builtin";
        for (const std::string& name : names) {
            std::wstring module = toWide(name);
            if (module.size() > 4 && module.compare(module.size() - 4, 4, L".dll") == 0) module.resize(module.size() - 4);
            ::RegSetValueExW(key, module.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder), sizeof kOrder);
        }
        ::RegCloseKey(key);
    }
    ~NativeFirst() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    NativeFirst(const NativeFirst&) = delete;
    NativeFirst& operator=(const NativeFirst&) = delete;

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\Trevanil.exe\\DllOverrides";
};

// Planted beside the program (which is the current folder too), none of them
// is loaded; the pass itself still runs to its end, so a planted DLL that
// failed to stand in for a real one did not break it either.
TEST_F(SafeSearch, SystemDllsPlantedBesideTheProgramAreNotLoaded) {
    Stage stage("fixture_recording.dll");
    for (const std::string& name : kSystemDllNames) copyInto(fixture("fixture_recording.dll"), stage.app() + "\\" + name);

    const NativeFirst nativeFirst(kSystemDllNames);
    runToEnd(stage);

    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    const std::vector<std::string> attached = stage.componentEvents("attach");
    // The record works: the five components were loaded and recorded.
    for (const char* component : kComponents) {
        EXPECT_NE(std::find(attached.begin(), attached.end(), component), attached.end()) << component;
    }
    for (const std::string& name : kSystemDllNames) {
        EXPECT_EQ(std::find(attached.begin(), attached.end(), name), attached.end()) << name << " was loaded";
    }
}

// A component's own dependency comes from the component's folder, not from
// the program folder where a copy of the same name was planted.
TEST_F(SafeSearch, AComponentsDependencyIsTakenFromItsOwnFolder) {
    Stage stage("fixture_recording.dll");
    const std::string system = stage.windows() + "\\System";
    copyInto(fixture("fixture_withdep.dll"), system + "\\mscomctl.ocx");
    copyInto(fixture("dep-good\\fixture_dep.dll"), system + "\\fixture_dep.dll");
    copyInto(fixture("dep-planted\\fixture_dep.dll"), stage.app() + "\\fixture_dep.dll");

    runToEnd(stage);

    // The planted copy answers S_FALSE, and a component without its
    // dependency does not load: either would log an error for mscomctl.ocx.
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
}

// A dependency found nowhere but in the program folder (the current folder
// too) is never loaded: the component does not load and its line is an
// error. The plant is the copy that answers 0, so that, loaded, it would make
// the line a success.
TEST_F(SafeSearch, ADependencyOnlyInTheProgramFolderIsNeverLoaded) {
    ASSERT_FALSE(fileExists(systemFolder() + "\\fixture_dep.dll"));
    Stage stage("fixture_recording.dll");
    copyInto(fixture("fixture_withdep.dll"), stage.windows() + "\\System\\mscomctl.ocx");
    copyInto(fixture("dep-good\\fixture_dep.dll"), stage.app() + "\\fixture_dep.dll");

    runToEnd(stage, {}, exitcode::notAllRegistered);

    EXPECT_EQ(readFile(stage.log()), expectedLog({true, true, true, false, true}));
}

}  // namespace
}  // namespace trevanil::test

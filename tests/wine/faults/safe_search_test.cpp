// The program runs elevated from whatever folder the components were
// unpacked into: an executable or DLL planted there (or in the current
// folder, the same one) must never run. Each case plants copies of test
// fixtures under the names a careless search would pick up, runs one real
// pass and reads what the plants recorded.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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

constexpr const char* kExito = " Se registro exitosamente \r\n";
constexpr const char* kFallo = " Error; registrando \r\n";

std::string logOf(const std::vector<bool>& success) {
    std::string log;
    for (size_t i = 0; i < success.size(); ++i) log += std::string(kComponents[i]) + (success[i] ? kExito : kFallo);
    return log;
}

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
    static void runToEnd(const Stage& stage, const ProgramRun::Variables& extra = {}) {
        ProgramRun run(stage, extra);
        MessageBoxWatcher watcher(run.id(), 60000);
        ASSERT_TRUE(run.waitForExit(120000)) << "the program did not end";
        EXPECT_EQ(run.exitCode(), 0u);
        const auto box = watcher.result();
        EXPECT_FALSE(box.has_value()) << toUtf8(box ? box->text : L"");
    }
};

// "notepad" is looked up in the system folder only: not beside the program
// (nor in the current folder, the same one), nor on PATH. Each stand-in
// records beside itself, so the record tells which one ran.
TEST_F(SafeSearch, APlantedNotepadBesideTheProgramOrOnPathIsNotRun) {
    Stage stage("fixture_recording.dll");
    const Scratch systemRecord(systemFolder() + "\\notepad-calls.log");
    TempFolder onPath;
    const std::vector<std::string> planted = {stage.app(), onPath.path()};
    for (const std::string& folder : planted) copyInto(fixture("notepad_standin.exe"), folder + "\\notepad.exe");

    runToEnd(stage, {{L"TREVANIL_NOTEPAD_LOG", L""}, {L"PATH", toWide(onPath.path() + ";" + env("PATH"))}});

    waitFor([&] { return fileExists(systemRecord.path()); }, 30000);
    ASSERT_TRUE(fileExists(systemRecord.path())) << "the system folder's notepad did not run";
    waitFor([&] { return !lines(readFile(systemRecord.path())).empty(); }, 5000);
    EXPECT_EQ(lines(readFile(systemRecord.path())), std::vector<std::string>{"notepad " + stage.log()});
    for (const std::string& folder : planted) {
        EXPECT_FALSE(fileExists(folder + "\\notepad-calls.log")) << "the notepad.exe in " << folder << " ran";
    }
}

// System DLLs that the program, or a system library on its behalf, loads
// after it has started.
const std::vector<std::string> kSystemDllNames = {
    "comctl32.dll", "uxtheme.dll",  "version.dll",  "dwmapi.dll",   "oleaut32.dll", "msimg32.dll",
    "imm32.dll",    "usp10.dll",    "shell32.dll",  "shlwapi.dll",  "comdlg32.dll", "winmm.dll",
    "msctf.dll",    "oleacc.dll",   "propsys.dll",  "dbghelp.dll",  "cryptbase.dll", "sxs.dll",
    "clbcatq.dll",  "rpcrt4.dll",   "combase.dll",  "uiautomationcore.dll", "winspool.drv", "setupapi.dll",
    "wintrust.dll", "crypt32.dll",  "secur32.dll",  "userenv.dll",  "profapi.dll",  "apphelp.dll",
    "textshaping.dll", "dxgi.dll",  "d3d11.dll",    "opengl32.dll", "bcrypt.dll",
};

// Planted beside the program (which is the current folder too), none of them
// is loaded; the pass itself still runs to its end, so a planted DLL that
// failed to stand in for a real one did not break it either.
TEST_F(SafeSearch, SystemDllsPlantedBesideTheProgramAreNotLoaded) {
    Stage stage("fixture_recording.dll");
    for (const std::string& name : kSystemDllNames) copyInto(fixture("fixture_recording.dll"), stage.app() + "\\" + name);

    runToEnd(stage);

    EXPECT_EQ(readFile(stage.log()), logOf({true, true, true, true, true}));
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

    // The planted copy answers S_FALSE, which the log would show as an error.
    EXPECT_EQ(readFile(stage.log()), logOf({true, true, true, true, true}));
}

}  // namespace
}  // namespace trevanil::test

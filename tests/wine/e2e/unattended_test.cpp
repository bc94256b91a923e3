// The program as a deployment tool starts it: /S shows nothing and says
// everything in its exit code, /LOG= puts the log elsewhere, a second
// instance steps aside.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/strings.h"
#include "platform/win32/system_text.h"
#include "program_run.h"
#include "test_support.h"
#include "window_support.h"

namespace trevanil::test {
namespace {

using win32::toUtf8;
using win32::toWide;

// Watches the program from its start to its end: whether any of its windows
// (the main window, a message box) was visible at any moment.
bool showedAWindowUntilItEnded(const ProgramRun& run) {
    bool shown = false;
    const ULONGLONG limit = ::GetTickCount64() + 120000;
    while (!run.waitForExit(0) && ::GetTickCount64() < limit) {
        shown = shown || visibleWindowOf(run.id()) != nullptr;
        ::Sleep(2);
    }
    return shown;
}

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(toWide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = toUtf8(found.cFileName);
        if (name != "." && name != "..") names.insert(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

std::set<std::string> stagedFiles() {
    std::set<std::string> names(kComponents.begin(), kComponents.end());
    names.insert("Trevanil.exe");
    return names;
}

class Unattended : public ProgramSuite {};

// One quiet run: what it is given, its exit code and the log it leaves.
struct QuietRun {
    const char* row;
    std::function<std::string(const Stage&)> arguments;
    std::function<void(const Stage&)> prepare;
    DWORD exitCode;
    std::vector<bool> registered;  // the log's lines; empty: no pass, no log
};

void PrintTo(const QuietRun& r, std::ostream* out) { *out << r.row; }

class QuietRunRow : public Unattended, public ::testing::WithParamInterface<QuietRun> {};

TEST_P(QuietRunRow, ShowsNothingStartsNoViewerAndEndsWithItsCode) {
    const QuietRun& r = GetParam();
    Stage stage("fixture_recording.dll");
    r.prepare(stage);
    ProgramRun run(stage, {}, r.arguments(stage));
    EXPECT_FALSE(showedAWindowUntilItEnded(run));
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), r.exitCode);
    EXPECT_TRUE(viewerCalls(stage, 0).empty());

    const bool passRan = !r.registered.empty();
    if (passRan) {
        EXPECT_EQ(readFile(stage.log()), expectedLog(r.registered));
    } else {
        EXPECT_LT(::GetTickCount64() - run.startedAt(), 10000u) << "a run without a pass waits for nothing";
    }
    for (const char* name : kComponents) EXPECT_EQ(fileExists(stage.system32() + "\\" + name), passRan) << name;
    EXPECT_EQ(stage.componentEvents("attach").empty(), !passRan);
}

const auto kNothing = [](const Stage&) {};

INSTANTIATE_TEST_SUITE_P(
    Rows, QuietRunRow,
    ::testing::Values(
        QuietRun{"AllRegistered", [](const Stage&) { return "/S"; }, kNothing, exitcode::allRegistered,
                 {true, true, true, true, true}},
        QuietRun{"AllRegisteredDetailed", [](const Stage&) { return "/S /V"; }, kNothing, exitcode::allRegistered,
                 {true, true, true, true, true}},
        QuietRun{"OneNotRegistered", [](const Stage&) { return "/silent"; },
                 [](const Stage& s) { copyInto(fixture("fixture_fail.dll"), s.windows() + "\\System\\mscomctl.ocx"); },
                 exitcode::notAllRegistered, {true, true, true, false, true}},
        QuietRun{"BrokenOff", [](const Stage&) { return "/s"; }, [](const Stage& s) { makeFolder(s.log()); },
                 exitcode::brokenOff, {}},
        QuietRun{"UnknownSwitch", [](const Stage&) { return "/S /X"; }, kNothing, exitcode::badCommandLine, {}},
        QuietRun{"LogFolderMissing",
                 [](const Stage& s) { return "/S \"/LOG=" + s.app() + "\\no existe\\r.log\""; }, kNothing,
                 exitcode::badCommandLine, {}},
        QuietRun{"UsageCannotBeShown", [](const Stage&) { return "/? /S"; }, kNothing, exitcode::badCommandLine, {}},
        QuietRun{"SwitchInABrokenQuote", [](const Stage& s) { return "/LOG=\"" + s.app() + "\\PC 12.log /S"; },
                 kNothing, exitcode::badCommandLine, {}}),
    [](const auto& row) { return std::string(row.param.row); });

// A run with failures of many kinds, windowed and quiet: the log holds the
// component lines as without /V, then one whole line per failure (copies
// first, then registrations, each in list order), from the system's own
// answers: its loader's numbers, its texts, its folders and files. Every
// other cause, and the order between causes, is a row of the host's table.
TEST_F(Unattended, TheDetailedLogNamesEachFailureAfterTheComponentLines) {
    for (const std::string arguments : {"/V", "/S /v"}) {
        Stage s("fixture_recording.dll");
        const auto put = [&s](const char* component, const std::string& name) {
            copyInto(fixture(component), s.windows() + "\\System\\" + name);
        };
        ::DeleteFileW(toWide(s.app() + "\\comdlg32.ocx").c_str());
        put("fixture_noexport.dll", "comdlg32.ocx");
        put("fixture_otherbits.dll", "msadodc.ocx");
        copyInto(fixture("fixture_v1_0_0_0.dll"), s.app() + "\\mscomct2.ocx");
        copyInto(fixture("fixture_v10_0_0_0.dll"), s.system32() + "\\mscomct2.ocx");
        put("fixture_sfalse.dll", "mscomct2.ocx");
        makeFolder(s.system32() + "\\mscomctl.ocx");
        put("fixture_chain.dll", "mscomctl.ocx");
        put("fixture_mid.dll", "fixture_mid.dll");
        put("fixture_refuse.dll", "msflxgrd.ocx");
        const std::vector<std::string> details = {
            "comdlg32.ocx: no se copi\xC3\xB3: no existe el archivo " + s.app() + "\\comdlg32.ocx",
            "mscomct2.ocx: no se copi\xC3\xB3: la versi\xC3\xB3n instalada, 10.0.0.0, es m\xC3\xA1s nueva que la de la carpeta "
            "del programa, 1.0.0.0",
            "mscomctl.ocx: no se pudo copiar a " + (s.real().redirected() ? s.real().landing() : s.system32()) +
                "\\mscomctl.ocx (error 5: " + win32::systemText(5) + ")",
            "comdlg32.ocx: no tiene el punto de entrada DllRegisterServer",
            sizeof(void*) == 4 ? "msadodc.ocx: es un archivo de 64 bits y este programa, de 32 bits, no puede cargarlo"
                               : "msadodc.ocx: es un archivo de 32 bits y este programa, de 64 bits, no puede cargarlo",
            "mscomct2.ocx: DllRegisterServer devolvi\xC3\xB3 0x00000001, un c\xC3\xB3" "digo de \xC3\xA9xito distinto de 0",
            "mscomctl.ocx: necesita fixture_mid.dll, y esta necesita fixture_end.dll, que no est\xC3\xA1 en su carpeta ni "
            "en la carpeta del sistema",
            "msflxgrd.ocx: su c\xC3\xB3" "digo de inicio (DllMain) rechaz\xC3\xB3 la carga"};
        ProgramRun run(s, {}, arguments);
        ASSERT_TRUE(run.waitForExit()) << arguments;
        EXPECT_EQ(run.exitCode(), exitcode::notAllRegistered) << arguments;
        std::string expected = expectedLog({false, false, false, false, false});
        for (const std::string& line : details) expected += win32::toAnsi("*** " + line) + "\r\n";
        EXPECT_EQ(readFile(s.log()), expected) << arguments;
    }
}

// A component whose System32 copy is the newer one is registered from
// there, and /V says so; one that fails there keeps its failure's line only.
// One whose newer System32 file this run copied is registered from System.
TEST_F(Unattended, TheDetailedLogNamesAComponentRegisteredFromSystem32) {
    Stage s("fixture_recording.dll");
    for (const std::string& folder : {s.app(), s.windows() + "\\System"}) {
        copyInto(fixture("fixture_v1_0_0_0.dll"), folder + "\\mscomct2.ocx");
        copyInto(fixture("fixture_v1_0_0_0.dll"), folder + "\\mscomctl.ocx");
        const char* flexGrid = folder == s.app() ? "fixture_v10_0_0_0.dll" : "fixture_v1_0_0_0.dll";
        copyInto(fixture(flexGrid), folder + "\\msflxgrd.ocx");
    }
    copyInto(fixture("fixture_v2_0_0_0_other.dll"), s.system32() + "\\mscomct2.ocx");
    copyInto(fixture("fixture_v10_0_0_0.dll"), s.system32() + "\\mscomctl.ocx");
    const std::vector<std::string> details = {
        "mscomct2.ocx: no se copi\xC3\xB3: la versi\xC3\xB3n instalada, 2.0.0.0, es m\xC3\xA1s nueva que la de la carpeta "
        "del programa, 1.0.0.0",
        "mscomctl.ocx: no se copi\xC3\xB3: la versi\xC3\xB3n instalada, 10.0.0.0, es m\xC3\xA1s nueva que la de la carpeta "
        "del programa, 1.0.0.0",
        "mscomct2.ocx: DllRegisterServer devolvi\xC3\xB3 0x00000001, un c\xC3\xB3" "digo de \xC3\xA9xito distinto de 0",
        "mscomctl.ocx: se registr\xC3\xB3 " + (s.real().redirected() ? s.real().landing() : s.system32()) +
            "\\mscomctl.ocx: la copia de System, 1.0.0.0, es m\xC3\xA1s antigua que la instalada, 10.0.0.0",
        "msflxgrd.ocx: se registr\xC3\xB3 la copia de System, 1.0.0.0, m\xC3\xA1s antigua que la copiada en System32, "
        "10.0.0.0"};
    ProgramRun run(s, {}, "/S /V");
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), exitcode::notAllRegistered);
    std::string expected = expectedLog({true, true, false, true, true});
    for (const std::string& line : details) expected += win32::toAnsi("*** " + line) + "\r\n";
    EXPECT_EQ(readFile(s.log()), expected);
}

TEST_F(Unattended, TheLogGoesWhereTheCommandLineSaysAndNowhereElse) {
    Stage stage("fixture_recording.dll");
    TempFolder elsewhere;
    makeFolder(elsewhere / "mis registros");
    const std::string log = elsewhere / "mis registros\\PC 12.log";
    ProgramRun run(stage, {}, "/LOG=\"" + log + "\"");
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), exitcode::allRegistered);
    EXPECT_EQ(readFile(log), expectedLogAllRegistered());
    EXPECT_EQ(filesIn(stage.app()), stagedFiles());
    EXPECT_EQ(viewerCalls(stage, 1), std::vector<std::string>{"notepad " + log});
}

TEST_F(Unattended, ABadCommandLineIsExplainedAndNothingIsDone) {
    Stage stage("fixture_recording.dll");
    ProgramRun run(stage, {}, "/LOG=");
    MessageBoxWatcher watcher(run.id(), 60000);
    const auto box = watcher.result();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->title, L"Trevanil");
    const std::string expected = "Falta la ruta del archivo de resultados: /LOG=<ruta>.\n\nUso: Trevanil.exe";
    EXPECT_EQ(toUtf8(box->text).rfind(expected, 0), 0u) << toUtf8(box->text);
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), exitcode::badCommandLine);
    EXPECT_EQ(filesIn(stage.app()), stagedFiles());
    for (const char* name : kComponents) EXPECT_FALSE(fileExists(stage.system32() + "\\" + name)) << name;
    EXPECT_TRUE(stage.componentEvents("attach").empty());
}

TEST_F(Unattended, TwoInstancesStartedTogetherMakeOnePass) {
    Stage stage("fixture_slow.dll");
    const ProgramRun::Variables slow = {{L"TREVANIL_FIXTURE_SLOW_MS", L"200"}};
    ProgramRun one(stage, slow, "/S");
    ProgramRun other(stage, slow, "/S");
    ASSERT_TRUE(one.waitForExit());
    ASSERT_TRUE(other.waitForExit());
    EXPECT_EQ(std::multiset<DWORD>({one.exitCode(), other.exitCode()}),
              std::multiset<DWORD>({exitcode::allRegistered, exitcode::alreadyRunning}));
    EXPECT_EQ(stage.componentEvents("register"), std::vector<std::string>(kComponents.begin(), kComponents.end()));
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
}

// Where the lock's name is reachable (no private namespaces), an object of
// another type put there first stops the run, which never goes unguarded.
TEST_F(Unattended, AnotherKindOfObjectUnderTheLocksNameCountsAsARunningInstance) {
    if (win32::unique_boundary(::CreateBoundaryDescriptorW(L"Trevanil", 0))) GTEST_SKIP() << "a private namespace";
    Stage stage("fixture_recording.dll");
    const win32::unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, L"Global\\Trevanil.Instalacion"));
    ASSERT_TRUE(event);
    ProgramRun run(stage, {}, "/S");
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), exitcode::alreadyRunning);
    EXPECT_TRUE(stage.componentEvents("attach").empty());
}

TEST_F(Unattended, ASecondInstanceStartedByHandBringsTheRunningWindowToTheFront) {
    Stage stage("fixture_slow.dll");
    const ProgramRun::Variables slow = {{L"TREVANIL_FIXTURE_SLOW_MS", L"600"}};  // keeps the first one running
    ProgramRun first(stage, slow);
    const HWND window = first.waitForWindow();
    ASSERT_NE(window, nullptr);
    const HWND other = ::CreateWindowExW(0, L"STATIC", L"otra", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetForegroundWindow(other);
    pump(200);
    ASSERT_NE(::GetForegroundWindow(), window);

    ProgramRun second(stage, slow);
    ASSERT_TRUE(second.waitForExit(20000)) << "a second instance waits for something";
    EXPECT_EQ(second.exitCode(), exitcode::alreadyRunning);
    EXPECT_TRUE(waitFor([&] { return ::GetForegroundWindow() == window; }, 5000));
    ::DestroyWindow(other);

    ASSERT_TRUE(first.waitForExit());
    EXPECT_EQ(first.exitCode(), exitcode::allRegistered);
    EXPECT_EQ(stage.componentEvents("register").size(), 5u);
}

}  // namespace
}  // namespace trevanil::test

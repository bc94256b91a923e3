// The whole program as a user starts it: one pass a second after the
// window opens, the log, the copies, the viewer, the end; closing early,
// closing during the pass, the error report, and what the window shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/win32/strings.h"
#include "program_run.h"
#include "test_support.h"
#include "window_support.h"

namespace trevanil::test {
namespace {

using win32::toUtf8;
using win32::toWide;

std::vector<std::string> componentNames() { return {kComponents.begin(), kComponents.end()}; }

std::vector<HWND> children(HWND window, const wchar_t* kind) {
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (test::className(child) == kind) found.push_back(child);
    }
    return found;
}

LRESULT sendTo(HWND window, UINT message, WPARAM wParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result)) return LB_ERR;
    return static_cast<LRESULT>(result);
}

// A click on a list's item: the button pressed and released there, in the
// program's queue as the system puts them. Not through injected input: under
// a virtual display, one click in a few never reaches the window.
void clickItem(HWND list, int item) {
    const LPARAM at = MAKELPARAM(8, item * sendTo(list, LB_GETITEMHEIGHT) + 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
}

// The notepad stand-in takes the place of the system's editor for the whole
// program: the program launches "notepad" from the system folder. This
// process sees the program's window in real pixels.
class ProgramTest : public ProgramSuite {
protected:
    static void SetUpTestSuite() {
        ProgramSuite::SetUpTestSuite();
        beDpiAware();
    }
};

// The viewer stays open, as a user's editor does, until the test is done. It
// is started by the desktop shell, so that it runs as the signed-in user.
TEST_F(ProgramTest, LeftAloneItRunsOnePassAfterASecondThenEndsWhileTheViewerStaysOpen) {
    Stage stage("fixture_recording.dll");
    const std::string started = stage.notepadLog() + ".parent";
    ProgramRun run(stage, {{L"TREVANIL_NOTEPAD_HOLD", toWide(stage.viewerRelease())},
                           {L"TREVANIL_NOTEPAD_PARENT", toWide(started)}});
    const HWND window = run.waitForWindow();
    ASSERT_NE(window, nullptr);
    ULONGLONG logAt = 0;
    waitFor([&] { return fileExists(stage.log()) && (logAt = ::GetTickCount64()) != 0; }, 60000);
    const bool ended = run.waitForExit(60000);
    const std::vector<win32::unique_handle> viewer = processesNamed(L"notepad.exe", SYNCHRONIZE);
    const bool viewerOpen = !viewer.empty() && ::WaitForSingleObject(viewer[0].get(), 0) == WAIT_TIMEOUT;
    writeFile(stage.viewerRelease(), "");
    ASSERT_TRUE(ended) << "the program waited for its viewer";
    EXPECT_TRUE(viewerOpen) << "the viewer is not running once the program has ended";
    if (viewerOpen) {
        EXPECT_EQ(::WaitForSingleObject(viewer[0].get(), 10000), WAIT_OBJECT_0) << "the stand-in did not close";
    }

    EXPECT_GE(logAt - run.startedAt(), 950u) << "the pass starts a second after the window";
    EXPECT_EQ(run.exitCode(), exitcode::allRegistered);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    for (const char* name : kComponents) {
        const std::string copy = stage.system32() + "\\" + name;
        ASSERT_TRUE(fileExists(copy)) << copy;
        EXPECT_EQ(readFile(copy), readFile(stage.app() + "\\" + name));
    }
    EXPECT_EQ(stage.componentEvents("register"), componentNames());
    EXPECT_TRUE(stage.componentEvents("unregister").empty());
    EXPECT_EQ(viewerCalls(stage, 1), std::vector<std::string>{"notepad " + stage.log()});
    const std::string parent = readFile(started);
    EXPECT_EQ(parent.rfind("explorer.exe ", 0), 0u) << parent;
    EXPECT_EQ(parent.substr(parent.size() - stage.log().size() - 1), stage.log() + "\n") << parent;
}

// The copies and the registrations land where this build sees them, never
// in the other architecture's folder or registry view.
TEST_F(ProgramTest, InTheRealWindowsFolderCopiesAndRegistrationsLandWhereThisBuildSeesThem) {
    Stage stage("fixture_machine.dll");
    const RealWindowsFolder& real = stage.real();
    ProgramRun run(stage);
    ASSERT_TRUE(run.waitForExit());

    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    std::vector<std::string> names = componentNames();
    std::sort(names.begin(), names.end());
    for (const char* name : kComponents) {
        EXPECT_TRUE(fileExists(real.landing() + "\\" + name)) << real.landing() << " " << name;
        if (!real.other().empty()) {
            EXPECT_FALSE(fileExists(real.other() + "\\" + name)) << real.other() << " " << name;
        }
    }
    EXPECT_EQ(RealWindowsFolder::registered(real.view()), names);
    if (real.otherView() != 0) {
        EXPECT_TRUE(RealWindowsFolder::registered(real.otherView()).empty());
    }
}

// A component already in the System32 folder meets the program's copy of
// it: only a higher file version there is left as it is. The registration
// then loads the file in System, unless the one in System32 is the higher
// version and was there before: the classes never name the older file, and
// a file copied from the program's folder never runs.
struct CopyOver {
    const char* row;
    const char* offered;    // mscomctl.ocx in the program's folder
    const char* installed;  // mscomctl.ocx already in System32
    bool kept;
    const char* inSystem = "fixture_recording.dll";  // mscomctl.ocx in System; null: none there
    bool fromSystem32 = false;
    bool writesClass = false;  // the registered file names itself as its class's server
};

void PrintTo(const CopyOver& r, std::ostream* out) { *out << r.row; }

class CopyOverRow : public ProgramSuite, public ::testing::WithParamInterface<CopyOver> {};

// The class the fixtures that write one register, and the server it names
// in the registry view this build writes.
const std::wstring kTestClass = L"CLSID\\{6E1C8A52-3F0B-4B7D-9A41-2C5E7D9F0B13}";
std::string classServer() {
    wchar_t server[MAX_PATH * 4];
    DWORD size = sizeof server;
    const std::wstring key = kTestClass + L"\\InprocServer32";
    const LONG rc = ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, server, &size);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestClass.c_str());
    return rc == ERROR_SUCCESS ? toUtf8(server) : std::string();
}

TEST_P(CopyOverRow, OnlyAHigherInstalledVersionIsKeptAndThePassGoesOnAsEver) {
    const CopyOver& r = GetParam();
    Stage stage("fixture_recording.dll");
    const std::string target = stage.system32() + "\\mscomctl.ocx";
    const std::string inSystem = stage.windows() + "\\System\\mscomctl.ocx";
    copyInto(fixture(r.offered), stage.app() + "\\mscomctl.ocx");
    copyInto(fixture(r.installed), target);
    r.inSystem ? copyInto(fixture(r.inSystem), inSystem) : void(::DeleteFileW(toWide(inSystem).c_str()));
    classServer();  // none left from before
    const std::string installed = readFile(target);
    ProgramRun run(stage, {{L"TREVANIL_FIXTURE_FULL_PATH", L"1"}});
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), r.inSystem ? exitcode::allRegistered : exitcode::notAllRegistered);
    EXPECT_EQ(readFile(stage.log()), expectedLog({true, true, true, r.inSystem != nullptr, true}));
    std::vector<std::string> registered;
    for (const std::string name : kComponents) {
        const bool kept = r.kept && name == "mscomctl.ocx";
        EXPECT_EQ(readFile(stage.system32() + "\\" + name), kept ? installed : readFile(stage.app() + "\\" + name))
            << name;
        const bool system32 = r.fromSystem32 && name == "mscomctl.ocx";
        if (r.inSystem || name != "mscomctl.ocx") {
            registered.push_back((system32 ? stage.system32() : stage.windows() + "\\System") + "\\" + name);
        }
    }
    EXPECT_EQ(stage.componentEvents("register"), registered);
    EXPECT_EQ(classServer(), r.writesClass ? registered[3] : std::string());
    EXPECT_EQ(viewerCalls(stage, 1).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, CopyOverRow,
    ::testing::Values(CopyOver{"HigherInstalled", "fixture_v1_0_0_0.dll", "fixture_v2_0_0_0.dll", true},
                      CopyOver{"HigherBuildInstalled", "fixture_v2_0_0_0.dll", "fixture_v2_0_1_0.dll", true},
                      CopyOver{"HigherAsNumbersNotAsText", "fixture_v2_0_0_0.dll", "fixture_v10_0_0_0.dll", true},
                      CopyOver{"LowerInstalled", "fixture_v2_0_0_0.dll", "fixture_v1_0_0_0.dll", false},
                      CopyOver{"LowerRevisionInstalled", "fixture_v2_0_0_1.dll", "fixture_v2_0_0_0.dll", false},
                      CopyOver{"LowerAsNumbersNotAsText", "fixture_v10_0_0_0.dll", "fixture_v2_0_0_0.dll", false},
                      CopyOver{"SameVersion", "fixture_v2_0_0_0.dll", "fixture_v2_0_0_0_other.dll", false},
                      CopyOver{"InstalledWithoutVersion", "fixture_v1_0_0_0.dll", "fixture_recording.dll", false},
                      CopyOver{"InstalledVersionDamaged", "fixture_v1_0_0_0.dll", "fixture_vdamaged.dll", false},
                      CopyOver{"InstalledVersionOverstated", "fixture_v1_0_0_0.dll", "fixture_voverstated.dll", false},
                      CopyOver{"OfferedWithoutVersion", "fixture_recording.dll", "fixture_v2_0_0_0.dll", false},
                      CopyOver{"RegisteredFromTheHigherInSystem32", "fixture_v1_0_0_0.dll", "fixture_v2_0_0_0.dll",
                               true, "fixture_v1_0_0_0.dll", true},
                      CopyOver{"RegisteredFromSystem32AsNumbersNotAsText", "fixture_v1_0_0_9.dll",
                               "fixture_v1_0_0_10.dll", true, "fixture_v1_0_0_9.dll", true, true},
                      CopyOver{"RegisteredFromTheHigherInSystem", "fixture_v1_0_0_9.dll", "fixture_v1_0_0_9.dll",
                               false, "fixture_v1_0_0_10.dll", false, true},
                      CopyOver{"RegisteredFromSystemAtTheSameVersion", "fixture_v2_0_0_0.dll", "fixture_v1_0_0_0.dll",
                               false, "fixture_v2_0_0_0.dll"},
                      CopyOver{"RegisteredFromSystemWithoutVersionInSystem32", "fixture_recording.dll",
                               "fixture_recording.dll", false, "fixture_v1_0_0_0.dll"},
                      CopyOver{"RegisteredFromSystemWithItsVersionDamaged", "fixture_v1_0_0_0.dll",
                               "fixture_v2_0_0_0.dll", true, "fixture_vdamaged.dll"},
                      CopyOver{"MissingFromSystemIsNotTakenFromSystem32", "fixture_v1_0_0_0.dll",
                               "fixture_v2_0_0_0.dll", true, nullptr},
                      CopyOver{"NeverRegisteredFromTheHigherFileThisRunCopied", "fixture_v1_0_0_10.dll",
                               "fixture_v1_0_0_9.dll", false, "fixture_v1_0_0_9.dll", false, true}),
    [](const auto& row) { return std::string(row.param.row); });

TEST_F(ProgramTest, TheWindowShowsTheDesignCentredWithList1Focused) {
    Stage stage("fixture_slow.dll");  // keeps the window up for a while
    ProgramRun run(stage, {{L"TREVANIL_FIXTURE_SLOW_MS", L"1500"}});
    const HWND window = run.waitForWindow();
    ASSERT_NE(window, nullptr);
    // Held still while its title is read: with no log yet, the pass has not
    // begun (the log comes before the first new title).
    ::SuspendThread(run.thread());
    const bool passBegun = fileExists(stage.log());
    const std::wstring firstTitle = windowText(window);
    ::ResumeThread(run.thread());
    ASSERT_FALSE(passBegun) << "the pass began before the window was seen";
    EXPECT_EQ(firstTitle, L"Trevanil");

    // The design's client area at the display's DPI: 632 x 548 at 96.
    const int dpi = askedDpi();
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, ::MulDiv(9480, dpi, 1440));
    EXPECT_EQ(client.bottom, ::MulDiv(8220, dpi, 1440));
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT frame{};
    ::GetWindowRect(window, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    const std::vector<HWND> lists = children(window, L"ListBox");
    ASSERT_EQ(lists.size(), 2u);
    for (HWND list : lists) EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 5);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, lists[0]) << "List1 is first in the tab order";
    EXPECT_TRUE(run.waitForExit());
}

TEST_F(ProgramTest, ClosedWithinTheFirstSecondItEndsWithoutAPass) {
    // The close request must be queued before the timer's first tick; a
    // machine too slow to get there in a second gets more tries.
    bool closedEarly = false;
    for (int attempt = 0; attempt < 3 && !closedEarly; ++attempt) {
        Stage stage("fixture_recording.dll");
        ProgramRun run(stage);
        const HWND window = run.waitForWindow();
        ASSERT_NE(window, nullptr);
        // Held still while the request is posted: a posted message comes out
        // of the queue before any timer tick does.
        ::SuspendThread(run.thread());
        closedEarly = !fileExists(stage.log());
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        ::ResumeThread(run.thread());
        ASSERT_TRUE(run.waitForExit());
        if (!closedEarly) continue;

        EXPECT_EQ(run.exitCode(), exitcode::closedBeforeThePass);
        EXPECT_FALSE(fileExists(stage.log()));
        for (const char* name : kComponents) EXPECT_FALSE(fileExists(stage.system32() + "\\" + name)) << name;
        EXPECT_TRUE(stage.componentEvents("attach").empty());
        EXPECT_TRUE(viewerCalls(stage, 0).empty());
    }
    EXPECT_TRUE(closedEarly) << "never reached the window within its first second";
}

TEST_F(ProgramTest, ClosedDuringThePassItFinishesThePassThenEnds) {
    Stage stage("fixture_slow.dll");
    ProgramRun run(stage, {{L"TREVANIL_FIXTURE_SLOW_MS", L"1500"}});
    const HWND window = run.waitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return windowText(window).rfind(L"Registrando: ", 0) == 0; }, 60000));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);

    // Still there, still updated, after the request: each registration takes
    // 1.5 s, so the fourth one's title stays long enough to be seen (the last
    // one may vanish with the window).
    EXPECT_TRUE(waitFor([&] { return windowText(window) == L"Registrando: mscomctl.ocx"; }, 60000));
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    EXPECT_EQ(stage.componentEvents("register"), componentNames());
    EXPECT_EQ(viewerCalls(stage, 1).size(), 1u);
}

// The user clicks in both lists during the pass: whatever is selected, the
// pass registers the five entries in list order.
TEST_F(ProgramTest, ClicksInTheListsDuringThePassChangeNothing) {
    Stage stage("fixture_slow.dll");
    ProgramRun run(stage, {{L"TREVANIL_FIXTURE_SLOW_MS", L"1500"}});
    const HWND window = run.waitForWindow();
    ASSERT_NE(window, nullptr);
    const std::vector<HWND> lists = children(window, L"ListBox");
    ASSERT_EQ(lists.size(), 2u);
    ASSERT_TRUE(waitFor([&] { return windowText(window) == L"Registrando: comdlg32.ocx"; }, 60000));
    clickItem(lists[0], 4);
    clickItem(lists[1], 2);
    EXPECT_TRUE(waitFor([&] { return sendTo(lists[0], LB_GETCURSEL) == 4 && sendTo(lists[1], LB_GETCURSEL) == 2; },
                        30000))
        << "the clicks were not taken";
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    EXPECT_EQ(stage.componentEvents("register"), componentNames());
}

TEST_F(ProgramTest, APassLongerThanManyTimerPeriodsRunsOnceAndShowsItsProgress) {
    Stage stage("fixture_slow.dll");
    ProgramRun run(stage, {{L"TREVANIL_FIXTURE_SLOW_MS", L"1200"}});
    const HWND window = run.waitForWindow();
    ASSERT_NE(window, nullptr);
    const std::vector<HWND> bars = children(window, L"msctls_progress32");
    ASSERT_EQ(bars.size(), 1u);
    const HWND bar = bars[0];
    const LRESULT full = ::SendMessageW(bar, PBM_GETRANGE, FALSE, 0);

    std::vector<std::wstring> titles;
    std::vector<LRESULT> positions;
    while (!run.waitForExit(0) && ::IsWindow(window)) {
        const std::wstring title = windowText(window);
        DWORD_PTR position = 0;
        if (!::SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position)) break;
        if (titles.empty() || titles.back() != title) titles.push_back(title);
        const auto at = static_cast<LRESULT>(position);
        if (positions.empty() || positions.back() != at) positions.push_back(at);
        ::Sleep(10);
    }
    ASSERT_TRUE(run.waitForExit());
    // A bar that is being destroyed with its window answers 0.
    while (positions.size() > 1 && positions.back() == 0) positions.pop_back();

    // Every title names a listed component; copying comes before registering.
    bool registering = false;
    std::vector<std::wstring> registered;
    for (const std::wstring& title : titles) {
        if (title == L"Trevanil" || title.empty()) continue;
        const bool copying = title.rfind(L"Copiando: ", 0) == 0;
        ASSERT_TRUE(copying || title.rfind(L"Registrando: ", 0) == 0) << toUtf8(title);
        const std::string name = toUtf8(title.substr(title.find(L": ") + 2));
        EXPECT_NE(std::find(kComponents.begin(), kComponents.end(), name), kComponents.end()) << name;
        EXPECT_FALSE(copying && registering) << "copying again after registering began";
        registering = registering || !copying;
        if (!copying) registered.push_back(title);
    }
    EXPECT_TRUE(registering);
    EXPECT_GE(registered.size(), 4u) << "each registration is shown for over a second";
    for (size_t i = 1; i < positions.size(); ++i) EXPECT_GE(positions[i], positions[i - 1]) << "the bar went back";
    ASSERT_FALSE(positions.empty());
    EXPECT_GE(positions.back(), full * 7 / 8);

    EXPECT_EQ(stage.componentEvents("register"), componentNames()) << "one pass, each component once";
    EXPECT_EQ(stage.componentEvents("attach").size(), 5u);
    EXPECT_EQ(viewerCalls(stage, 1).size(), 1u);
}

TEST_F(ProgramTest, ALogThatCannotBeCreatedIsReportedThenTheProgramEnds) {
    Stage stage("fixture_recording.dll");
    makeFolder(stage.log());  // a folder where the log should go
    ProgramRun run(stage);
    MessageBoxWatcher watcher(run.id(), 90000);
    const HWND window = run.waitForWindow();
    const auto seen = watcher.result();
    ASSERT_TRUE(seen.has_value()) << "no message box";
    EXPECT_EQ(seen->title, L"Trevanil");
    EXPECT_EQ(seen->owner, window);
    EXPECT_FALSE(seen->icon);
    EXPECT_EQ(seen->buttons, 1);
    const std::string text = toUtf8(seen->text);
    const std::int32_t number = std::atoi(text.c_str());
    EXPECT_NE(number, 0) << text;
    EXPECT_EQ(text, std::to_string(number) + " " + errorDescription(number));

    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), exitcode::brokenOff);
    for (const char* name : kComponents) EXPECT_FALSE(fileExists(stage.system32() + "\\" + name)) << name;
    EXPECT_TRUE(stage.componentEvents("register").empty());
    EXPECT_TRUE(viewerCalls(stage, 0).empty());
}

}  // namespace
}  // namespace trevanil::test

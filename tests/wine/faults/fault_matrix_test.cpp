// Every way the pass can go wrong on a real machine, one case per row, with
// the real program: what each leaves behind (log bytes, copies, registry,
// message box, viewer, the process gone). docs/faults.md lists the rows.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/win32/restart_renames_win32.h"
#include "platform/win32/strings.h"
#include "program_run.h"
#include "test_support.h"
#include "window_support.h"

namespace trevanil::test {
namespace {

using win32::toUtf8;
using win32::toWide;

constexpr wchar_t kRegistryKey[] = L"Software\\Trevanil\\Fixtures";

// Components that fixture_ok.dll recorded as registered, in the registry.
std::vector<std::string> registered() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (const char* name : kComponents) {
        if (::RegQueryValueExW(key, toWide(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            names.emplace_back(name);
        }
    }
    ::RegCloseKey(key);
    return names;
}

std::vector<std::string> allComponents() { return {kComponents.begin(), kComponents.end()}; }

bool copied(const Stage& stage, const char* name) {
    const std::string copy = stage.system32() + "\\" + name;
    return fileExists(copy) && readFile(copy) == readFile(stage.app() + "\\" + name);
}

// A file held open by another process, sharing nothing or what it is told,
// until released.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path, DWORD share = 0)
        : file_(::CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    bool held() const { return static_cast<bool>(file_); }

private:
    win32::unique_hfile file_;
};

// Whether a name in the folder matches the pattern, hidden ones too.
bool anyNamed(const std::string& pattern) {
    WIN32_FIND_DATAW found{};
    return static_cast<bool>(win32::unique_hfind(::FindFirstFileW(toWide(pattern).c_str(), &found)));
}

class FaultMatrix : public ProgramSuite {
protected:
    void SetUp() override {
        ProgramSuite::SetUp();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKey);
    }

    // Runs the program to its end; a message box, if one shows, is read and
    // closed with OK.
    std::optional<MessageBoxSeen> runToEnd(const Stage& stage, const ProgramRun::Variables& extra = {},
                                           const std::string& current = {}, const std::string& arguments = {},
                                           const std::wstring& desktop = {}) {
        ProgramRun run(stage, extra, arguments, current, desktop);
        MessageBoxWatcher watcher(run.id(), 60000);
        const bool ended = run.waitForExit(120000);
        EXPECT_TRUE(ended) << "the program did not end";
        exitCode_ = run.exitCode();
        return watcher.result();
    }

    // The outcome of a pass that ran to its end: the log, the viewer, no box,
    // and the exit code that says whether every component registered.
    void expectCompleted(const Stage& stage, const std::optional<MessageBoxSeen>& box, const std::string& log) {
        EXPECT_FALSE(box.has_value()) << toUtf8(box ? box->text : L"");
        const bool allRegistered = log.find(" Error; registrando ") == std::string::npos;
        EXPECT_EQ(exitCode_, allRegistered ? exitcode::allRegistered : exitcode::notAllRegistered);
        EXPECT_EQ(readFile(stage.log()), log);
        EXPECT_EQ(viewerCalls(stage, 1), std::vector<std::string>{"notepad " + stage.log()});
    }

    // The error report: "<number> <description>", then the program ends.
    void expectReport(const std::optional<MessageBoxSeen>& box, std::int32_t number) {
        expectReport(box, PlatformError(number));
    }
    void expectReport(const std::optional<MessageBoxSeen>& box, const PlatformError& error) {
        ASSERT_TRUE(box.has_value()) << "no message box";
        EXPECT_EQ(toUtf8(box->text), errorReport(error));
        EXPECT_EQ(box->title, L"Trevanil");
        EXPECT_EQ(exitCode_, exitcode::brokenOff);
    }

    DWORD exitCode_ = 0;
};

TEST_F(FaultMatrix, LogHeldOpenByAnotherProgramIsReportedAndNothingIsCopied) {
    Stage stage("fixture_ok.dll");
    writeFile(stage.log(), "anterior\r\n");
    {
        HeldOpen log(stage.log());
        ASSERT_TRUE(log.held());
        const auto box = runToEnd(stage);
        expectReport(box, errnum::permissionDenied);
    }
    EXPECT_EQ(readFile(stage.log()), "anterior\r\n");
    for (const char* name : kComponents) EXPECT_FALSE(fileExists(stage.system32() + "\\" + name)) << name;
    EXPECT_TRUE(registered().empty());
    EXPECT_TRUE(viewerCalls(stage, 0).empty());
}

// An indexer or a virus scanner lets others delete what it reads.
TEST_F(FaultMatrix, LogHeldOpenWithDeleteSharingIsReplaced) {
    Stage stage("fixture_ok.dll");
    writeFile(stage.log(), "anterior\r\n");
    HeldOpen log(stage.log(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(log.held());
    const auto box = runToEnd(stage);
    expectCompleted(stage, box, expectedLogAllRegistered());
}

// Started from another folder (a deployment tool's): the old log is set
// aside in its own folder, never in the current one, and goes with its holder.
TEST_F(FaultMatrix, LogHeldOpenWithDeleteSharingIsSetAsideInItsOwnFolder) {
    Stage stage("fixture_ok.dll");
    TempFolder current;
    writeFile(stage.log(), "anterior\r\n");
    {
        HeldOpen log(stage.log(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_TRUE(log.held());
        expectCompleted(stage, runToEnd(stage, {}, current.path()), expectedLogAllRegistered());
        EXPECT_FALSE(anyNamed(current / "~trevanil-*") || fileExists(current / "RegistroOCX.log"));
    }
    for (const std::string& folder : {current.path(), stage.app()}) {
        EXPECT_FALSE(anyNamed(folder + "\\~trevanil-*")) << folder;
    }
}

// A destination in use: mapped as an image by this process (as by a running application) or held open without
// write sharing. A newer file is kept; an older one waits for the restart (3010 and a box, twice over with one rename
// from beside the file where it really is); Wine's restart (wineboot -r) renames it and leaves nothing beside.
struct InUse {
    const char* row;
    const char* installed;  // older or newer than the program's 2.0.0.0
    bool loaded, replaced;
};

class InUseRow : public FaultMatrix, public ::testing::WithParamInterface<InUse> {};

TEST_P(InUseRow, AnOlderFileIsReplacedAtTheRestart) {
    const InUse& row = GetParam();
    Stage stage("fixture_v2_0_0_0.dll");
    const std::string file = stage.system32() + "\\mscomct2.ocx", real = stage.real().landing() + "\\mscomct2.ocx";
    const std::string staged = stage.real().landing() + "\\~trevanil-mscomct2.ocx.new";
    copyInto(fixture(row.installed), file);
    const std::string installed = readFile(file);
    {
        std::optional<HeldOpen> held;
        win32::unique_hmodule loaded;
        row.loaded ? loaded.reset(::LoadLibraryExW(toWide(file).c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE))
                   : void(held.emplace(file, FILE_SHARE_READ));
        ASSERT_TRUE(held ? held->held() : static_cast<bool>(loaded));
        for (int run = 0; run < (row.replaced ? 2 : 1); ++run) {
            const auto box = runToEnd(stage);
            EXPECT_EQ(exitCode_, row.replaced ? exitcode::restartNeeded : exitcode::allRegistered);
            EXPECT_EQ(box ? toUtf8(box->text) : "", row.replaced ? std::string(kRestartNeeded) : "");
            EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
            EXPECT_TRUE(readFile(file) == installed);
        }
        std::string pending;
        for (const std::string& entry : win32::pendingRenameList()) pending += lowerAscii(entry) + "|";
        EXPECT_EQ(pending, row.replaced ? lowerAscii("\\??\\" + staged + "|!\\??\\" + real + "|") : "");
    }
    ProgramRun restart(stage.real().landing() + "\\wineboot.exe", stage.app(), {}, "-r");
    ASSERT_TRUE(restart.waitForExit(60000));
    EXPECT_TRUE(readFile(file) == (row.replaced ? readFile(stage.app() + "\\mscomct2.ocx") : installed));
    EXPECT_FALSE(fileExists(staged));
    EXPECT_TRUE(win32::pendingRenameList().empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, InUseRow,
                         ::testing::Values(InUse{"LoadedOlder", "fixture_v1_0_0_0.dll", true, true},
                                           InUse{"LoadedNewer", "fixture_v10_0_0_0.dll", true, false},
                                           InUse{"HeldOpenWithoutWriteSharing", "fixture_v1_0_0_0.dll", false, true}),
                         [](const auto& row) { return std::string(row.param.row); });

TEST_F(FaultMatrix, MissingSourceIsSkippedSilently) {
    Stage stage("fixture_ok.dll");
    ASSERT_TRUE(::DeleteFileW(toWide(stage.app() + "\\msadodc.ocx").c_str()));
    const auto box = runToEnd(stage);
    // Registration reads the System folder, where the component already is.
    expectCompleted(stage, box, expectedLogAllRegistered());
    EXPECT_FALSE(fileExists(stage.system32() + "\\msadodc.ocx"));
    EXPECT_TRUE(copied(stage, "msflxgrd.ocx"));
}

// WINDIR is used where it is the system's Windows folder however written,
// and then as the system writes it. Anything else (unset, a missing folder
// under it, a relative path, a folder of the user's holding components) is
// taken as unset: nothing is copied and every component is logged as an
// error; with /V one line says why. Components planted under the program
// folder (also the current one) never load.
struct Windir {
    const char* row;
    std::string (*windir)(std::string windows, const Stage&);
    bool used;
    bool detailed = false;
};

void PrintTo(const Windir& r, std::ostream* out) { *out << r.row; }

class WindirRow : public FaultMatrix, public ::testing::WithParamInterface<Windir> {};

TEST_P(WindirRow, IsUsedOnlyWhereItIsTheSystemsWindowsFolder) {
    const Windir& row = GetParam();
    Stage stage("fixture_recording.dll");
    const std::string planted = stage.app() + "\\windows\\";
    for (const char* folder : {"", "System", "System32"}) makeFolder(planted + folder);
    for (const char* name : kComponents) copyInto(fixture("fixture_recording.dll"), planted + "System\\" + name);
    const std::string windir = row.windir(stage.windows(), stage);
    const auto box = runToEnd(stage, {{L"WINDIR", toWide(windir)}, {L"TREVANIL_FIXTURE_FULL_PATH", L"1"}}, {},
                              row.detailed ? "/V" : "");
    const std::string why = windir + " no es la carpeta de Windows del sistema (" + stage.windows() +
                            "): se tom\xC3\xB3 como no definida";
    expectCompleted(stage, box, expectedLog(std::vector<bool>(5, row.used)) +
                                    (row.detailed ? win32::toAnsi("*** WINDIR: " + why) + "\r\n" : ""));
    std::vector<std::string> loaded;
    for (const char* name : kComponents) {
        EXPECT_EQ(copied(stage, name), row.used) << name;
        EXPECT_FALSE(fileExists(planted + "System32\\" + name)) << name;
        if (row.used) loaded.push_back(stage.windows() + "\\System\\" + name);
    }
    EXPECT_EQ(stage.componentEvents("attach"), loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindirRow,
    ::testing::Values(
        Windir{"Unset", [](std::string, const Stage&) { return std::string(); }, false},
        Windir{"MissingFolder", [](std::string w, const Stage&) { return w + "\\no-existe"; }, false},
        Windir{"Relative", [](std::string, const Stage&) { return std::string("windows"); }, false},
        Windir{"AUsersFolderWithComponents", [](std::string, const Stage& s) { return s.app() + "\\windows"; }, false,
               true},
        Windir{"TrailingSeparator", [](std::string w, const Stage&) { return w + "\\"; }, true},
        Windir{"ForwardSlashes",
               [](std::string w, const Stage&) { return std::replace(w.begin(), w.end(), '\\', '/'), w; }, true},
        Windir{"AnotherCase",
               [](std::string w, const Stage&) { return std::transform(w.begin(), w.end(), w.begin(), ::toupper), w; },
               true},
        Windir{"DotDot", [](std::string w, const Stage&) { return w + "\\..\\" + w.substr(w.rfind('\\') + 1); }, true},
        Windir{"LongPathPrefix", [](std::string w, const Stage&) { return "\\\\?\\" + w; }, true}),
    [](const auto& row) { return std::string(row.param.row); });

// Each of the five in System32 after the pass is counted once per PC, in the
// program's registry view only: msflxgrd.ocx as the row prepares it (a count
// under its name in capitals, in this test's view, the program's), the other
// four put there (1).
struct SharedCount {
    const char* row;
    bool there;    // msflxgrd.ocx in System32 before the pass
    DWORD before;  // its count; 0: none
    int passes;
    DWORD after;
};

void PrintTo(const SharedCount& r, std::ostream* out) { *out << r.row; }

class SharedCountRow : public FaultMatrix, public ::testing::WithParamInterface<SharedCount> {};

TEST_P(SharedCountRow, CountsEachFileOncePerPcInTheProgramsView) {
    const SharedCount& row = GetParam();
    Stage stage("fixture_ok.dll");
    if (row.there) writeFile(stage.system32() + "\\msflxgrd.ocx", "anterior");
    const std::wstring name = toWide(stage.windows()) + L"\\SYSTEM32\\MSFLXGRD.OCX";
    if (row.before != 0) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", name.c_str(),
                          REG_DWORD, &row.before, sizeof(DWORD));
    }
    for (int pass = 0; pass < row.passes; ++pass) {
        runToEnd(stage, {}, {}, "/S");
        EXPECT_EQ(exitCode_, exitcode::allRegistered);
    }
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    const RealWindowsFolder& real = stage.real();
    for (const char* file : kComponents) {
        EXPECT_EQ(real.count(file, real.view()), std::string(file) == "msflxgrd.ocx" ? row.after : 1u) << file;
        EXPECT_FALSE(real.otherView() != 0 && real.count(file, real.otherView())) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SharedCountRow,
                         ::testing::Values(SharedCount{"PutThere", false, 0, 1, 1},
                                           SharedCount{"ThereUncounted", true, 0, 1, 2},
                                           SharedCount{"AnExistingCount", true, 3, 1, 4},
                                           SharedCount{"ASecondPass", true, 3, 2, 4}),
                         [](const auto& row) { return std::string(row.param.row); });

// /U after a pass on a PC where msflxgrd.ocx was there before with a count of 3 (another product's): the four the
// pass brought are unregistered and gone with their counts and records, msflxgrd.ocx stays, registered, its count 3
// again; the System copies stay. A second /U, and /U where the program never ran, change nothing. A file in use at /U
// (held open without delete sharing) is deleted at Wine's restart (wineboot -r): 3010, read inside Wine.
struct Uninstall {
    const char* row;
    int passes, undos;
    bool inUse;
};

class UninstallRow : public FaultMatrix, public ::testing::WithParamInterface<Uninstall> {};

TEST_P(UninstallRow, TakesBackOnlyWhatThePassCounted) {
    const Uninstall& row = GetParam();
    Stage stage("fixture_ok.dll");
    const RealWindowsFolder& real = stage.real();
    writeFile(stage.system32() + "\\msflxgrd.ocx", "anterior");
    const DWORD three = 3;
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                      toWide(stage.windows() + "\\System32\\msflxgrd.ocx").c_str(), REG_DWORD, &three, sizeof three);
    for (int pass = 0; pass < row.passes; ++pass) runToEnd(stage, {}, {}, "/S");
    auto held = row.inUse ? std::make_optional<HeldOpen>(stage.system32() + "\\mscomct2.ocx", FILE_SHARE_READ)
                          : std::nullopt;
    for (int undo = 0; undo < row.undos; ++undo) runToEnd(stage, {}, {}, "/U /S");
    EXPECT_EQ(exitCode_, row.inUse ? exitcode::restartNeeded : exitcode::allRegistered);
    const bool counted = row.passes > 0 && row.undos == 1;  // the last /U found this program's counts
    std::string log, pending;
    for (const std::string n : kComponents) {
        log += n + (!counted ? " Se dejo como estaba " : n == "msflxgrd.ocx" ? " Se dejo; lo usan otros programas "
                                                                            : " Se quito exitosamente ") + "\r\n";
    }
    EXPECT_EQ(readFile(stage.log()), log);
    for (const std::string& entry : win32::pendingRenameList()) pending += lowerAscii(entry) + "|";
    EXPECT_EQ(pending, row.inUse ? lowerAscii("\\??\\" + real.landing() + "\\mscomct2.ocx||") : "");
    held.reset();
    ProgramRun restart(real.landing() + "\\wineboot.exe", stage.app(), {}, "-r");
    ASSERT_TRUE(restart.waitForExit(60000));
    for (const std::string name : kComponents) {
        const bool flexGrid = name == "msflxgrd.ocx";
        EXPECT_EQ(fileExists(stage.system32() + "\\" + name), flexGrid) << name;
        EXPECT_EQ(real.count(name, real.view()), flexGrid ? std::optional<DWORD>(3) : std::nullopt) << name;
        EXPECT_TRUE(fileExists(stage.windows() + "\\System\\" + name)) << name;
    }
    EXPECT_EQ(registered(), row.passes > 0 ? std::vector<std::string>{"msflxgrd.ocx"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Rows, UninstallRow,
                         ::testing::Values(Uninstall{"AfterAPass", 1, 1, false}, Uninstall{"Twice", 1, 2, false},
                                           Uninstall{"NeverRan", 0, 1, false}, Uninstall{"InUse", 1, 1, true}),
                         [](const auto& row) { return std::string(row.param.row); });

// The desktop shell up and serving its object while this lives: a window of
// this process keeps Wine's desktop (and its shell) running between runs.
class ShellServing {
public:
    ShellServing() {
        initialized_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        constexpr CLSID shellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
        serving_ = waitFor([&] {
            IUnknown* windows = nullptr;
            const HRESULT hr = ::CoCreateInstance(shellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IUnknown),
                                                  reinterpret_cast<void**>(&windows));
            if (windows != nullptr) windows->Release();
            return hr == S_OK;
        });
    }
    ~ShellServing() {
        if (initialized_) ::CoUninitialize();
    }
    bool serving() const { return serving_; }

private:
    win32::unique_hwnd window_{::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)};
    bool initialized_ = false;
    bool serving_ = false;
};

// The desktop shell's processes stopped while the object lives: its calls
// wait until they are let go.
struct ShellStopped {
    ShellStopped() { each("NtSuspendProcess"); }
    ~ShellStopped() { each("NtResumeProcess"); }
    void each(const char* call) const {
        const FARPROC proc = ::GetProcAddress(::GetModuleHandleW(L"ntdll"), call);
        const auto apply = reinterpret_cast<LONG(WINAPI*)(HANDLE)>(reinterpret_cast<void (*)()>(proc));
        for (const auto& shell : shells) apply(shell.get());
    }
    const std::vector<win32::unique_handle> shells = processesNamed(L"explorer.exe", PROCESS_SUSPEND_RESUME);
};

// Started on a window station nobody sees (a service's, a scheduled task's):
// no box waits there for a click, and no viewer starts, the desktop shell
// not even asked. Session 0, the other such place, only Windows shows.
class NobodyToAnswerRow : public FaultMatrix, public ::testing::WithParamInterface<bool> {};

TEST_P(NobodyToAnswerRow, NoBoxWaitsAndNoViewerStarts) {
    const bool logHeld = GetParam();
    const win32::unique_any<win32::policy::simple<HWINSTA, nullptr, &::CloseWindowStation>> station(
        ::CreateWindowStationW(L"Trevanil-nadie", 0, WINSTA_ALL_ACCESS, nullptr));
    ASSERT_TRUE(station);
    const ShellServing shell;  // the shell answers at once, there as here
    ASSERT_TRUE(shell.serving());
    Stage stage("fixture_ok.dll");
    std::optional<HeldOpen> held;
    if (logHeld) held.emplace(stage.log());
    runToEnd(stage, {}, {}, {}, L"Trevanil-nadie\\Default");
    EXPECT_EQ(exitCode_, logHeld ? exitcode::brokenOff : exitcode::allRegistered);
    // A viewer the shell starts records itself just after the program's end.
    EXPECT_FALSE(waitFor([&] { return !stage.notepadCalls().empty(); }, 2000));
    held.reset();
    EXPECT_EQ(readFile(stage.log()), logHeld ? "" : expectedLogAllRegistered());
}

INSTANTIATE_TEST_SUITE_P(Rows, NobodyToAnswerRow, ::testing::Values(false, true),
                         [](const auto& row) { return row.param ? "LogHeldOpen" : "Completed"; });

// The desktop shell stopped once the pass has started (its window needs the
// shell to be there), by when the program has found it: let go half a second
// later, it starts the viewer, once. Let go only after the program's end, it
// starts the viewer then; or, where the program had not yet found it, the
// viewer starts with the token of the shell window's process, and with no
// shell window (Wine has none) an elevated program starts none. Never does
// the program start it with its own rights; the log and the exit code are
// the pass's either way.
class StoppedShellRow : public FaultMatrix, public ::testing::WithParamInterface<bool> {};

TEST_P(StoppedShellRow, TheViewerStartsAtMostOnceAndNeverWithTheProgramsRights) {
    const bool letGoDuringTheRun = GetParam();
    Stage stage("fixture_ok.dll");
    const std::string started = stage.notepadLog() + ".parent";
    const ShellServing desktop;
    ASSERT_TRUE(desktop.serving());
    ProgramRun run(stage, {{L"TREVANIL_NOTEPAD_PARENT", toWide(started)}});
    ASSERT_NE(run.waitForWindow(), nullptr);
    ASSERT_TRUE(waitFor([&] { return fileExists(stage.log()); }, 60000));
    std::optional<ShellStopped> shell(std::in_place);
    ASSERT_FALSE(shell->shells.empty());
    if (letGoDuringTheRun) {
        ::Sleep(500);
        shell.reset();
    }
    ASSERT_TRUE(run.waitForExit(60000));
    shell.reset();
    EXPECT_EQ(run.exitCode(), exitcode::allRegistered);
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    const std::vector<std::string> calls = viewerCalls(stage, 1);
    EXPECT_EQ(calls.size(), letGoDuringTheRun || ::GetShellWindow() != nullptr ? 1u : calls.size());
    EXPECT_LE(calls.size(), 1u);
    if (!calls.empty()) {
        EXPECT_EQ(calls[0], "notepad " + stage.log());
        const std::string record = readFile(started);  // its starter, a blank, its command line
        EXPECT_EQ(record.substr(0, record.find(' ')), "explorer.exe") << record;
    }
}

// Wine's shell serves no one again once a caller has gone in the middle of a
// request: these rows run last, in a prefix of their own (CMakeLists.txt).
INSTANTIATE_TEST_SUITE_P(Rows, StoppedShellRow, ::testing::Values(true, false), [](const auto& row) {
    return std::string(row.param ? "LetGoDuringTheRun" : "LetGoAfterTheEnd");
});

// One faulty component among good ones: its line reads as an error, the
// others register, and the pass goes on to the viewer.
struct FaultyComponent {
    const char* row;
    const char* fixture;
};

class FaultyComponentRow : public FaultMatrix, public ::testing::WithParamInterface<FaultyComponent> {};

TEST_P(FaultyComponentRow, IsLoggedAsAnErrorAndThePassGoesOn) {
    Stage stage("fixture_ok.dll");
    copyInto(fixture(GetParam().fixture), stage.windows() + "\\System\\mscomctl.ocx");
    const auto box = runToEnd(stage);
    expectCompleted(stage, box, expectedLog({true, true, true, false, true}));
    EXPECT_EQ(registered(), (std::vector<std::string>{"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "msflxgrd.ocx"}));
    for (const char* name : kComponents) EXPECT_TRUE(copied(stage, name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultyComponentRow,
                         ::testing::Values(FaultyComponent{"NoModule", "not_a_module.ocx"},
                                           FaultyComponent{"NoEntryPoints", "fixture_noexport.dll"},
                                           FaultyComponent{"ReturnsSFalse", "fixture_sfalse.dll"},
                                           FaultyComponent{"ReturnsNegative", "fixture_fail.dll"}),
                         [](const auto& row) { return std::string(row.param.row); });

TEST_F(FaultMatrix, AComponentThatBringsTheProcessDownKeepsEveryEarlierLine) {
    Stage stage("fixture_ok.dll");
    copyInto(fixture("fixture_crash.dll"), stage.windows() + "\\System\\mscomct2.ocx");
    const auto box = runToEnd(stage);
    EXPECT_FALSE(box.has_value());
    EXPECT_EQ(exitCode_, 0xC0000005u);
    EXPECT_EQ(readFile(stage.log()), expectedLog({true, true}));
    EXPECT_EQ(registered(), (std::vector<std::string>{"comdlg32.ocx", "msadodc.ocx"}));
    EXPECT_TRUE(viewerCalls(stage, 0).empty());
}

// Where the program folder lies: the log and the viewer's command line use
// the folder's text as it is.
TEST_F(FaultMatrix, ProgramFolderWithBlanks) {
    TempFolder root;
    Stage stage("fixture_ok.dll", root / "carpeta con espacios");
    const auto box = runToEnd(stage);
    expectCompleted(stage, box, expectedLogAllRegistered());
    for (const char* name : kComponents) EXPECT_TRUE(copied(stage, name)) << name;
}

TEST_F(FaultMatrix, ProgramFolderOutsideTheAnsiCodePage) {
    TempFolder root;
    const std::string folder = root / "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x97\xA5\xE6\x9C\xAC";  // Ωμέγα 日本
    ASSERT_FALSE(ansiRepresentable(toWide(folder)));
    Stage stage("fixture_ok.dll", folder);
    const auto box = runToEnd(stage);
    expectCompleted(stage, box, expectedLogAllRegistered());
    for (const char* name : kComponents) EXPECT_TRUE(copied(stage, name)) << name;
}

TEST_F(FaultMatrix, ProgramFolderAtADriveRoot) {
    const std::string drive = env("TREVANIL_ROOT_DRIVE");
    if (drive.empty()) GTEST_SKIP() << "needs TREVANIL_ROOT_DRIVE, a drive letter on an empty folder";
    Stage stage("fixture_ok.dll", drive + "\\");
    EXPECT_EQ(stage.log(), drive + "\\\\RegistroOCX.log") << "the folder text keeps its separator";
    const auto box = runToEnd(stage);
    expectCompleted(stage, box, expectedLogAllRegistered());
    EXPECT_TRUE(fileExists(drive + "\\RegistroOCX.log"));
    for (const char* name : kComponents) EXPECT_TRUE(copied(stage, name)) << name;
}

// A folder of 245 characters: its log's path, 261, is longer than a program
// without long-path support opens. Refused for what it is on every build,
// before anything is created (Wine's 32-bit build cannot name it back).
TEST_F(FaultMatrix, LogPathLongerThanMaxPathIsReportedAndNothingIsCopied) {
    TempFolder root;
    Stage stage("fixture_ok.dll", root / std::string(244 - root.path().size(), 'x'));
    ASSERT_EQ(stage.log().size(), 261u);
    expectReport(runToEnd(stage), errorFromWin32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(fileExists(stage.log()));
    for (const char* name : kComponents) EXPECT_FALSE(fileExists(stage.system32() + "\\" + name)) << name;
    EXPECT_TRUE(viewerCalls(stage, 0).empty());
}

// A link under the log's name, made by faults/links: whatever it leads to is
// never written. Wine cannot remove a Unix symbolic link itself (it acts on
// what the link leads to), so there the program refuses; a hard link's name
// is replaced. A program folder that is a link is followed.
struct LinkedLog {
    const char* row;
    const char* folder;
    const char* target;   // what the link leads to, under targets\; null: none
    std::int32_t report;  // the error reported; 0: the pass completes
};

class LinkedLogRow : public FaultMatrix, public ::testing::WithParamInterface<LinkedLog> {};

TEST_P(LinkedLogRow, NeverWritesThroughTheLink) {
    const std::string links = env("TREVANIL_LINKS");
    if (links.empty()) GTEST_SKIP() << "needs TREVANIL_LINKS, the folders made by faults/links";
    const LinkedLog& row = GetParam();
    const std::string target = row.target == nullptr ? std::string() : links + "\\targets\\" + row.target;
    const bool targetExisted = !target.empty() && fileExists(target);
    Stage stage("fixture_ok.dll", links + "\\" + row.folder);
    const auto box = runToEnd(stage);
    if (row.report != 0) {
        expectReport(box, row.report);
        for (const char* name : kComponents) EXPECT_FALSE(fileExists(stage.system32() + "\\" + name)) << name;
        EXPECT_TRUE(viewerCalls(stage, 0).empty());
    } else {
        expectCompleted(stage, box, expectedLogAllRegistered());
        EXPECT_EQ(registered(), allComponents());
    }
    if (targetExisted) {
        EXPECT_EQ(readFile(target), "original");
    } else if (!target.empty()) {
        EXPECT_FALSE(fileExists(target)) << "created through the link";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LinkedLogRow,
                         ::testing::Values(LinkedLog{"SymbolicLink", "symlink", "symlink.dll", errnum::permissionDenied},
                                           LinkedLog{"DanglingSymbolicLink", "dangling", "dangling.dll",
                                                     errnum::fileAlreadyExists},
                                           LinkedLog{"HardLink", "hardlink", "hardlink.dll", 0},
                                           LinkedLog{"LinkedProgramFolder", "linked-folder", nullptr, 0}),
                         [](const auto& row) { return std::string(row.param.row); });

// The /LOG= folder swapped for a link to another folder once the program
// has checked it (by faults/links, on the Linux side): the program keeps to
// the folder it checked, and nothing is removed, made or written through
// the link.
TEST_F(FaultMatrix, LogFolderSwappedForALinkAfterTheCheck) {
    const std::string links = env("TREVANIL_LINKS");
    if (links.empty()) GTEST_SKIP() << "needs TREVANIL_LINKS, the folders made by faults/links";
    Stage stage("fixture_ok.dll");
    ProgramRun run(stage, {}, "\"/LOG=" + links + "\\swap\\log\\RegistroOCX.log\"");
    MessageBoxWatcher watcher(run.id(), 60000);
    ASSERT_NE(run.waitForWindow(), nullptr);
    writeFile(links + "\\swap\\request", "");
    ASSERT_TRUE(waitFor([&] { return fileExists(links + "\\swap\\done"); }, 5000));
    ASSERT_TRUE(run.waitForExit(120000));
    exitCode_ = run.exitCode();
    expectReport(watcher.result(), errnum::permissionDenied);
    EXPECT_EQ(readFile(links + "\\swap-target\\RegistroOCX.log"), "original");
}

// No editor in the system folder nor in the Windows folder while it lives:
// the viewer cannot be started.
class EditorMissing {
public:
    EditorMissing() {
        for (const auto folderOf : {&::GetSystemDirectoryW, &::GetWindowsDirectoryW}) {
            wchar_t folder[MAX_PATH];
            const UINT n = folderOf(folder, MAX_PATH);
            const std::wstring editor = std::wstring(folder, n < MAX_PATH ? n : 0) + L"\\notepad.exe";
            if (::MoveFileExW(editor.c_str(), (editor + kAside).c_str(), MOVEFILE_REPLACE_EXISTING)) {
                moved_.push_back(editor);
            }
        }
    }
    ~EditorMissing() {
        for (const std::wstring& editor : moved_) {
            ::MoveFileExW((editor + kAside).c_str(), editor.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    EditorMissing(const EditorMissing&) = delete;
    EditorMissing& operator=(const EditorMissing&) = delete;

private:
    static constexpr wchar_t kAside[] = L".trevanil-missing";
    std::vector<std::wstring> moved_;
};

// A message from a badly behaved component or from outside while the pass
// runs: the pass goes on to its end, every box waits for OK, and the program
// ends as it always does.
struct MessageDuringThePass {
    const char* row;
    const char* fixture;             // under every component name
    bool editorMissing;              // the pass then ends in the report "53 ..."
    std::vector<std::string> boxes;  // the texts of every box, in order
    void (*send)(HWND window);       // once the pass registers; null: none
};

class MessageDuringThePassRow : public FaultMatrix, public ::testing::WithParamInterface<MessageDuringThePass> {};

TEST_P(MessageDuringThePassRow, NeitherEndsNorSilencesThePass) {
    const MessageDuringThePass& row = GetParam();
    Stage stage(row.fixture);
    std::optional<EditorMissing> noEditor;
    if (row.editorMissing) noEditor.emplace();
    ProgramRun run(stage, {{L"TREVANIL_FIXTURE_SLOW_MS", L"800"}});
    MessageBoxWatcher watcher(run.id(), 90000, row.boxes.size() + 1);
    if (row.send != nullptr) {
        const HWND window = run.waitForWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(waitFor([&] { return windowText(window).rfind(L"Registrando: ", 0) == 0; }, 60000));
        row.send(window);
    }
    ASSERT_TRUE(run.waitForExit(120000));
    EXPECT_EQ(run.exitCode(), row.editorMissing ? 1603u : 0u);
    std::vector<std::string> boxes;
    for (const MessageBoxSeen& box : watcher.results()) boxes.push_back(toUtf8(box.text));
    EXPECT_EQ(boxes, row.boxes);
    EXPECT_EQ(readFile(stage.log()), expectedLogAllRegistered());
    const size_t viewers = row.editorMissing ? 0 : 1;
    EXPECT_EQ(viewerCalls(stage, viewers).size(), viewers);
}

void postDpiChangeWithoutRectangle(HWND window) {
    ASSERT_TRUE(::PostMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), 0));
}

void askToEndTheSession(HWND window) {
    DWORD_PTR answer = TRUE;
    ASSERT_TRUE(::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(FALSE)) << "a logoff during the pass is refused";
}

std::vector<std::string> componentBoxesThenReport53() {
    std::vector<std::string> boxes = allComponents();
    boxes.push_back(std::to_string(errnum::fileNotFound) + " " + errorDescription(errnum::fileNotFound));
    return boxes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MessageDuringThePassRow,
    ::testing::Values(MessageDuringThePass{"StrayQuit", "fixture_postquit.dll", true, componentBoxesThenReport53(),
                                           nullptr},
                      MessageDuringThePass{"MalformedDpiChange", "fixture_slow.dll", false, {},
                                           &postDpiChangeWithoutRectangle},
                      MessageDuringThePass{"QueryEndSession", "fixture_slow.dll", false, {}, &askToEndTheSession}),
    [](const auto& row) { return std::string(row.param.row); });

// As a user without administrator rights (root ignores read-only files and
// folders): run by the as-user script, skipped otherwise.
class Unprivileged : public FaultMatrix {
protected:
    void SetUp() override {
        if (env("TREVANIL_UNPRIVILEGED").empty()) GTEST_SKIP() << "run as an unprivileged user by as-user";
        FaultMatrix::SetUp();
    }
};

TEST_F(Unprivileged, ReadOnlyProgramFolderIsReportedAndNothingIsCopied) {
    // Staged read-only by the script: the program and the five components.
    const std::string app = env("TREVANIL_READONLY_APP");
    ASSERT_FALSE(app.empty());
    TempFolder windows;
    makeFolder(windows / "System");
    makeFolder(windows / "System32");
    for (const char* name : kComponents) copyInto(fixture("fixture_ok.dll"), windows / "System\\" + name);
    TempFolder records;
    ProgramRun::Variables variables = {{L"WINDIR", toWide(windows.path())},
                                       {L"TREVANIL_NOTEPAD_LOG", toWide(records / "notepad.log")}};
    ProgramRun run(app + "\\Trevanil.exe", app, variables);
    MessageBoxWatcher watcher(run.id(), 60000);
    ASSERT_TRUE(run.waitForExit(120000));
    exitCode_ = run.exitCode();
    expectReport(watcher.result(), errnum::permissionDenied);
    EXPECT_FALSE(fileExists(app + "\\RegistroOCX.log"));
    for (const char* name : kComponents) EXPECT_FALSE(fileExists(windows / "System32\\" + name)) << name;
    EXPECT_TRUE(registered().empty());
    EXPECT_FALSE(fileExists(records / "notepad.log"));
}

TEST_F(Unprivileged, ReadOnlyDestinationIsLeftAsItWasAndThePassGoesOn) {
    Stage stage("fixture_ok.dll");
    const std::string destination = stage.system32() + "\\msflxgrd.ocx";
    writeFile(destination, "anterior");
    ASSERT_TRUE(::SetFileAttributesW(toWide(destination).c_str(), FILE_ATTRIBUTE_READONLY));
    const auto box = runToEnd(stage);
    expectCompleted(stage, box, expectedLogAllRegistered());
    EXPECT_EQ(readFile(destination), "anterior");
    for (const char* name : {"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "mscomctl.ocx"}) {
        EXPECT_TRUE(copied(stage, name)) << name;
    }
    ::SetFileAttributesW(toWide(destination).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace trevanil::test

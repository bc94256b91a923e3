// Trevanil.exe run as a process of its own: a staged program folder with
// test components under the five component names, the system's Windows
// folder (WINDIR; the program uses no other), and the records that the
// components and the notepad stand-in write.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/unique_any.h"
#include "test_support.h"

namespace trevanil::test {

// The program's exit codes.
namespace exitcode {
inline constexpr DWORD allRegistered = 0;
inline constexpr DWORD notAllRegistered = 1;
inline constexpr DWORD restartNeeded = 3010;
inline constexpr DWORD badCommandLine = 87;
inline constexpr DWORD closedBeforeThePass = 1602;
inline constexpr DWORD brokenOff = 1603;
inline constexpr DWORD alreadyRunning = 1618;
}  // namespace exitcode

inline constexpr std::array<const char*, 5> kComponents = {"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx",
                                                           "mscomctl.ocx", "msflxgrd.ocx"};

// The system's own Windows folder, the only one the program works in. The
// component names (and the fixtures' own DLLs in System) are taken out of
// its System folder, of the folder this build's copies land in and of the
// other architecture's, and the fixtures' machine-wide records out of both
// registry views, when this is made and when it goes. A 32-bit program on
// 64-bit Windows has its System32 redirected to SysWOW64, and its
// components write the 32-bit view of the registry; a 64-bit one, the
// native folder and view.
class RealWindowsFolder {
public:
    RealWindowsFolder();
    ~RealWindowsFolder() { clean(); }
    RealWindowsFolder(const RealWindowsFolder&) = delete;
    RealWindowsFolder& operator=(const RealWindowsFolder&) = delete;

    const std::string& windows() const { return windows_; }
    const std::string& landing() const { return landing_; }
    const std::string& other() const { return other_; }  // the other architecture's; empty when none
    bool redirected() const { return redirected_; }  // System32 sends this build to landing()
    // The values under HKLM\Software\Trevanil\Fixtures in one registry view.
    static std::vector<std::string> registered(REGSAM view);
    // The count under SharedDLLs of "<Windows folder>\System32\<name>" in one
    // view; nothing when none. The five's counts and the program's record
    // of them go as the fixtures' records do.
    std::optional<DWORD> count(const std::string& name, REGSAM view) const;
    REGSAM view() const { return view_; }
    REGSAM otherView() const { return otherView_; }

private:
    void clean() const;

    std::string windows_, landing_, other_;
    REGSAM view_ = 0, otherView_ = 0;
    bool redirected_ = false;
};

class Stage {
public:
    // `component`: the fixture file put under every component name, in the
    // program folder and in the Windows folder's System subfolder; a '#' in
    // it stands for the component's place in the list, from 1.
    // `appFolder`: where the program and its components go, when not in a
    // temporary folder (a name with blanks, a drive root); removed afterwards.
    explicit Stage(const std::string& component, const std::string& appFolder = {});
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    std::string app() const { return app_.empty() ? root_ / "app" : app_; }
    std::string program() const { return app() + "\\Trevanil.exe"; }
    std::string log() const { return app() + "\\RegistroOCX.log"; }
    std::string windows() const { return real_.windows(); }
    const RealWindowsFolder& real() const { return real_; }
    std::string system32() const { return windows() + "\\System32"; }
    std::string fixtureLog() const { return root_ / "components.log"; }
    std::string notepadLog() const { return root_ / "notepad.log"; }
    // Made to let a stand-in started with TREVANIL_NOTEPAD_HOLD close.
    std::string viewerRelease() const { return root_ / "viewer.release"; }

    // The components' record, one "event name" per entry.
    std::vector<std::string> componentEvents(const std::string& event) const;
    // The notepad stand-in's record: one command line per start.
    std::vector<std::string> notepadCalls() const;

private:
    RealWindowsFolder real_;
    TempFolder root_;
    std::string app_;
};

// The notepad stand-in in the place of the system's editor, for as long as
// the object lives. Inactive under a Wine that was not told, at its start,
// to take the file there (WINEDLLOVERRIDES notepad.exe=n).
class StandInEditor {
public:
    StandInEditor();
    ~StandInEditor();
    StandInEditor(const StandInEditor&) = delete;
    StandInEditor& operator=(const StandInEditor&) = delete;
    bool active() const { return !editor_.empty(); }

private:
    std::string editor_;
    std::string saved_;
};

class ProgramRun {
public:
    using Variables = std::vector<std::pair<std::wstring, std::wstring>>;

    // Starts the staged program from its folder; `extra` goes into its
    // environment besides WINDIR and the two record files (an empty value
    // removes the variable); `arguments` follow the program's quoted path on
    // its command line; `current`: the folder it starts in, when not its own;
    // `desktop`: the window station and desktop it starts on
    // (station\desktop), when not this one's.
    explicit ProgramRun(const Stage& stage, const Variables& extra = {}, const std::string& arguments = {},
                        const std::string& current = {}, const std::wstring& desktop = {});
    // Starts `program` from `folder` with these variables changed.
    ProgramRun(const std::string& program, const std::string& folder, const Variables& variables,
               const std::string& arguments = {}, const std::wstring& desktop = {});
    ~ProgramRun();  // a program still running is ended
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    DWORD id() const { return id_; }
    HANDLE thread() const { return thread_.get(); }
    ULONGLONG startedAt() const { return startedAt_; }

    // The program's main window once shown (its controls are there by
    // then); null when none showed within the limit.
    HWND waitForWindow(unsigned limitMs = 60000) const;
    bool waitForExit(unsigned limitMs = 120000) const;
    DWORD exitCode() const;

private:
    win32::unique_handle process_;
    win32::unique_handle thread_;
    DWORD id_ = 0;
    ULONGLONG startedAt_ = 0;
};

// Tests that start the program: the stand-in takes the system editor's
// place for the whole suite; without it every test is skipped.
class ProgramSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { editor_ = std::make_unique<StandInEditor>(); }
    static void TearDownTestSuite() { editor_.reset(); }
    void SetUp() override {
        if (!editor_->active()) GTEST_SKIP() << "needs WINEDLLOVERRIDES with notepad.exe=n";
    }
    // A viewer started by the desktop shell reads the run's settings beside
    // itself: it must be done before the next run writes them.
    void TearDown() override;
    // The viewer is a process of its own; it may record its start after the
    // program has gone.
    static std::vector<std::string> viewerCalls(const Stage& stage, size_t expected);

private:
    static inline std::unique_ptr<StandInEditor> editor_;
};

// The exact log of a pass: one line per component, in list order, for as
// many outcomes as given (true: registered).
std::string expectedLog(const std::vector<bool>& registered);
inline std::string expectedLogAllRegistered() { return expectedLog({true, true, true, true, true}); }

std::vector<std::string> lines(const std::string& text);  // split at LF, CR LF kept apart

// The running processes of that executable name (the viewer, the desktop
// shell), opened with these rights.
std::vector<win32::unique_handle> processesNamed(const wchar_t* name, DWORD access);

}  // namespace trevanil::test

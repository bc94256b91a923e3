// Process-level services: the program's folder, the environment and the
// launch of the viewer, with the safe search order for a bare program name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_services.h"
#include "test_support.h"

namespace trevanil {
namespace {

using test::fileExists;
using win32::toUtf8;
using win32::toWide;

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(EnvironmentValue, UnsetIsEmptyAndSetValuesComeBackWhole) {
    ::SetEnvironmentVariableW(L"TREVANIL_NO_DEFINIDA", nullptr);
    EXPECT_EQ(win32::environmentValue("TREVANIL_NO_DEFINIDA"), "");

    const std::string value = std::string(300, 'x') + "C:\\Windows \xC3\xB1\xCE\xA9";  // longer than a first guess
    ::SetEnvironmentVariableW(L"TREVANIL_DEFINIDA", toWide(value).c_str());
    EXPECT_EQ(win32::environmentValue("TREVANIL_DEFINIDA"), value);
    ::SetEnvironmentVariableW(L"TREVANIL_DEFINIDA", nullptr);
}

TEST(ApplicationPath, IsTheFolderOfTheRunningExecutable) {
    const std::string path = win32::applicationPath();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), '\\');
    EXPECT_TRUE(fileExists(path + "\\win32_platform_test.exe")) << path;
    const std::string binary = test::env("TREVANIL_BINARY_DIR");
    if (!binary.empty()) {
        EXPECT_EQ(lowered(path), lowered(binary + "\\tests\\wine\\platform"));
    }
}

bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring systemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

std::wstring windowsFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

// Puts the notepad stand-in where the system's editor lives, and copies of
// it where an unsafe search would find them: the program's folder, the
// current folder, a folder at the head of PATH and the Windows folder. Every
// copy records its calls beside itself, so the file written tells which one
// ran.
class LaunchTest : public ::testing::Test {
protected:
    static constexpr wchar_t kRelativeLog[] = L"viewer-calls.log";
    static constexpr wchar_t kStandInSettings[] = L"notepad-standin.env";

    void SetUp() override {
        // Under Wine a program in the system folder is Wine's own (a real
        // editor window that never closes) unless the loader is told, when
        // Wine starts, to take the file itself.
        if (underWine() && test::env("WINEDLLOVERRIDES").find("notepad.exe=n") == std::string::npos) {
            GTEST_SKIP() << "needs WINEDLLOVERRIDES with notepad.exe=n";
        }
        ::SetEnvironmentVariableW(L"TREVANIL_NOTEPAD_LOG", nullptr);
        const std::wstring system = systemFolder();
        systemNotepad = toUtf8(system + L"\\notepad.exe");
        systemLog = toUtf8(system + L"\\notepad-calls.log");
        saved = systemNotepad + ".trevanil-original";
        // A copy saved by an earlier run that did not finish is the original.
        if (fileExists(systemNotepad) && !fileExists(saved)) {
            ASSERT_TRUE(::MoveFileExW(toWide(systemNotepad).c_str(), toWide(saved).c_str(), MOVEFILE_REPLACE_EXISTING));
        }
        ::DeleteFileW(toWide(systemLog).c_str());
        ::DeleteFileW((systemFolder() + L"\\" + kRelativeLog).c_str());
        prepared = true;
        test::copyInto(test::fixture("notepad_standin.exe"), systemNotepad);

        appFolderNotepad = win32::applicationPath() + "\\notepad.exe";
        test::copyInto(test::fixture("notepad_standin.exe"), appFolderNotepad);
        test::copyInto(test::fixture("notepad_standin.exe"), win32::applicationPath() + "\\trevanil_planted.exe");
        windowsPlanted = toUtf8(windowsFolder() + L"\\trevanil_planted.exe");
        test::copyInto(test::fixture("notepad_standin.exe"), windowsPlanted);

        test::makeFolder(folder / "actual");
        test::makeFolder(folder / "path");
        for (const char* where : {"actual", "path"}) {
            test::copyInto(test::fixture("notepad_standin.exe"), folder / (std::string(where) + "\\notepad.exe"));
            test::copyInto(test::fixture("notepad_standin.exe"), folder / (std::string(where) + "\\trevanil_planted.exe"));
        }
        wchar_t current[MAX_PATH];
        ::GetCurrentDirectoryW(MAX_PATH, current);
        savedCurrent = current;
        ASSERT_TRUE(::SetCurrentDirectoryW(toWide(folder / "actual").c_str()));
        savedPath = test::env("PATH");
        ::SetEnvironmentVariableW(L"PATH", toWide(folder / "path;" + savedPath).c_str());
    }

    void TearDown() override {
        if (!prepared) return;
        if (!savedCurrent.empty()) {
            ::SetEnvironmentVariableW(L"PATH", toWide(savedPath).c_str());
            ::SetCurrentDirectoryW(savedCurrent.c_str());
        }
        // The stand-ins may still be finishing; wait until they can go.
        for (const std::string& file :
             {systemNotepad, appFolderNotepad, windowsPlanted, win32::applicationPath() + "\\trevanil_planted.exe"}) {
            test::waitFor([&] { return ::DeleteFileW(toWide(file).c_str()) || !fileExists(file); }, 10000);
        }
        ::DeleteFileW(toWide(win32::applicationPath() + "\\notepad-calls.log").c_str());
        ::DeleteFileW((windowsFolder() + L"\\notepad-calls.log").c_str());
        ::DeleteFileW(toWide(systemLog).c_str());
        ::DeleteFileW((systemFolder() + L"\\" + kRelativeLog).c_str());
        ::DeleteFileW((systemFolder() + L"\\" + kStandInSettings).c_str());
        if (fileExists(saved)) ::MoveFileExW(toWide(saved).c_str(), toWide(systemNotepad).c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    static std::string recordedCalls(const std::string& log) {
        if (!test::waitFor([&] { return fileExists(log) && !test::readFile(log).empty() && test::readFile(log).back() == '\n'; })) {
            return "(nothing recorded in " + log + ")";
        }
        return test::readFile(log);
    }

    bool plantedCopyRan() const {
        return fileExists(win32::applicationPath() + "\\notepad-calls.log") ||
               fileExists(folder / "actual\\notepad-calls.log") || fileExists(folder / "path\\notepad-calls.log");
    }

    test::TempFolder folder;
    bool prepared = false;
    std::string systemNotepad, systemLog, saved, appFolderNotepad, windowsPlanted, savedPath;
    std::wstring savedCurrent;
};

TEST_F(LaunchTest, NotepadIsTakenFromTheSystemFolderAndRunsThereWithTheCommandLineUnchanged) {
    test::makeFolder(folder / "dir with blanks");
    const std::string commandLine = "notepad " + (folder / "dir with blanks\\RegistroOCX.log");

    win32::launch(commandLine, WindowStyle::normalFocus);

    EXPECT_EQ(recordedCalls(systemLog), commandLine + "\n");
    EXPECT_FALSE(plantedCopyRan());

    // A record named without a folder lands in the stand-in's current
    // folder: the system folder, not this process's current one. Started by
    // the desktop shell, the stand-in reads the setting beside itself.
    test::writeFile(toUtf8(systemFolder() + L"\\" + kStandInSettings), "TREVANIL_NOTEPAD_LOG=" + toUtf8(kRelativeLog));
    ::SetEnvironmentVariableW(L"TREVANIL_NOTEPAD_LOG", kRelativeLog);
    win32::launch(commandLine, WindowStyle::normalFocus);
    ::SetEnvironmentVariableW(L"TREVANIL_NOTEPAD_LOG", nullptr);
    EXPECT_EQ(recordedCalls(toUtf8(systemFolder() + L"\\" + kRelativeLog)), commandLine + "\n");
    EXPECT_FALSE(fileExists(folder / ("actual\\" + toUtf8(kRelativeLog))));
}

TEST_F(LaunchTest, AProgramMissingFromTheSystemFolderIsNotFound) {
    for (const char* commandLine : {"trevanil_no_existe argumento", "trevanil_planted argumento"}) {
        try {
            win32::launch(commandLine, WindowStyle::normalFocus);
            ADD_FAILURE() << commandLine << " started";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), errnum::fileNotFound) << commandLine;
        }
    }
}

}  // namespace
}  // namespace trevanil

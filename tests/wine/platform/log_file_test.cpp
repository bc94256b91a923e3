// A log named on the command line: which paths can take it, found without
// creating anything, and the report line added after the pass.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/file_entry.h"
#include "platform/win32/log_file.h"
#include "platform/win32/strings.h"
#include "test_support.h"

namespace trevanil {
namespace {

using test::fileExists;
using test::readFile;
using win32::toWide;

std::optional<std::string> logPathFor(const std::string& given) {
    const auto log = win32::logFolderFor(given);
    return log ? std::optional<std::string>(log->logPath()) : std::nullopt;
}

TEST(LogPathFor, AFileInAFolderThatExistsFullPathAndNothingCreated) {
    test::TempFolder folder;
    test::makeFolder(folder / "mis registros");
    const std::string log = folder / "mis registros\\PC 12.log";
    EXPECT_EQ(logPathFor(log), std::optional<std::string>(log));
    EXPECT_EQ(logPathFor(folder / "mis registros\\..\\mis registros\\PC 12.log"),
              std::optional<std::string>(log));

    wchar_t saved[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(toWide(folder.path()).c_str()));
    EXPECT_EQ(logPathFor("mis registros\\PC 12.log"), std::optional<std::string>(log))
        << "from the current folder";
    ::SetCurrentDirectoryW(saved);

    for (const std::string& bad :
         {folder / "no existe\\PC 12.log", folder / "mis registros", folder / "mis registros\\"}) {
        EXPECT_EQ(logPathFor(bad), std::nullopt) << bad;
    }
    EXPECT_FALSE(fileExists(log));

    const auto held = win32::logFolderFor(log);
    EXPECT_FALSE(::MoveFileW(toWide(folder / "mis registros").c_str(), toWide(folder / "otra").c_str()))
        << "the folder is held from the check on";
}

TEST(AppendLine, GoesAfterWhatIsThereInTheAnsiCodePage) {
    test::TempFolder folder;
    const std::string log = folder / "RegistroOCX.log";
    const win32::LogFolder held = win32::LogFolder::hold(log);
    test::writeFile(log, "comdlg32.ocx Se registro exitosamente \r\n");
    EXPECT_TRUE(win32::appendLine(held, "*** Instalacion interrumpida: 5 No v\xC3\xA1lido"));
    EXPECT_EQ(readFile(log), "comdlg32.ocx Se registro exitosamente \r\n*** Instalacion interrumpida: 5 No v" +
                                 test::ansiBytes(L"\u00E1") + "lido\r\n");
    EXPECT_FALSE(win32::appendLine(win32::LogFolder::hold(folder / "otro.log"), "x"));
    EXPECT_FALSE(fileExists(folder / "otro.log")) << "only an existing file is added to";

    // A name made a link to another file since the pass: that file is left
    // as it was.
    const std::string target = folder / "sistema.dll";
    test::writeFile(target, "original");
    ASSERT_TRUE(::DeleteFileW(toWide(log).c_str()));
    ASSERT_TRUE(::CreateHardLinkW(toWide(log).c_str(), toWide(target).c_str(), nullptr));
    EXPECT_FALSE(win32::appendLine(held, "x"));
    EXPECT_EQ(readFile(target), "original");
}

// What the system cannot name (here a pipe) is never taken for the entry.
TEST(EntryCheck, RefusesAnEntryItCannotName) {
    test::TempFolder folder;
    const win32::LogFolder held = win32::LogFolder::hold(folder / "RegistroOCX.log");
    const win32::unique_hfile pipe(::CreateNamedPipeW(L"\\\\.\\pipe\\trevanil-entrada", PIPE_ACCESS_INBOUND, 0, 1, 0,
                                                      0, 0, nullptr));
    ASSERT_TRUE(held.held() && pipe);
    EXPECT_FALSE(win32::isEntryItself(pipe.get(), held.folder(), L"RegistroOCX.log"));
}

}  // namespace
}  // namespace trevanil

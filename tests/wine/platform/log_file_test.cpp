// A log named on the command line: which paths can take it, found without
// creating anything, and the report line added after the pass.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/log_file.h"
#include "platform/win32/strings.h"
#include "test_support.h"

namespace trevanil {
namespace {

using test::fileExists;
using test::readFile;

TEST(LogPathFor, AFileInAFolderThatExistsFullPathAndNothingCreated) {
    test::TempFolder folder;
    test::makeFolder(folder / "mis registros");
    const std::string log = folder / "mis registros\\PC 12.log";
    EXPECT_EQ(win32::logPathFor(log), std::optional<std::string>(log));
    EXPECT_EQ(win32::logPathFor(folder / "mis registros\\..\\mis registros\\PC 12.log"),
              std::optional<std::string>(log));

    wchar_t saved[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(win32::toWide(folder.path()).c_str()));
    EXPECT_EQ(win32::logPathFor("mis registros\\PC 12.log"), std::optional<std::string>(log))
        << "from the current folder";
    ::SetCurrentDirectoryW(saved);

    for (const std::string& bad :
         {folder / "no existe\\PC 12.log", folder / "mis registros", folder / "mis registros\\"}) {
        EXPECT_EQ(win32::logPathFor(bad), std::nullopt) << bad;
    }
    EXPECT_FALSE(fileExists(log));
}

TEST(AppendLine, GoesAfterWhatIsThereInTheAnsiCodePage) {
    test::TempFolder folder;
    const std::string log = folder / "RegistroOCX.log";
    test::writeFile(log, "comdlg32.ocx Se registro exitosamente \r\n");
    EXPECT_TRUE(win32::appendLine(log, "*** Instalacion interrumpida: 5 No v\xC3\xA1lido"));
    EXPECT_EQ(readFile(log), "comdlg32.ocx Se registro exitosamente \r\n*** Instalacion interrumpida: 5 No v" +
                                 test::ansiBytes(L"\u00E1") + "lido\r\n");
    EXPECT_FALSE(win32::appendLine(folder / "otro.log", "x"));
    EXPECT_FALSE(fileExists(folder / "otro.log")) << "only an existing file is added to";

    // A name made a link to another file since the pass: that file is left
    // as it was.
    const std::string target = folder / "sistema.dll";
    test::writeFile(target, "original");
    ASSERT_TRUE(::DeleteFileW(win32::toWide(log).c_str()));
    ASSERT_TRUE(::CreateHardLinkW(win32::toWide(log).c_str(), win32::toWide(target).c_str(), nullptr));
    EXPECT_FALSE(win32::appendLine(log, "x"));
    EXPECT_EQ(readFile(target), "original");
}

}  // namespace
}  // namespace trevanil

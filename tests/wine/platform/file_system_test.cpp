// The file-system object on real files: the log's bytes, replacement, and
// the failures the installation run and the copy phase meet.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/error.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"
#include "test_support.h"

namespace trevanil {
namespace {

using test::readFile;
using test::writeFile;
using win32::toWide;

// A handle that shares nothing, as another program holding the file would.
win32::unique_hfile holdExclusively(const std::string& path, DWORD disposition) {
    win32::unique_hfile file(::CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file) << "cannot hold " << path << ", error " << ::GetLastError();
    return file;
}

std::int32_t errorNumberOf(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const PlatformError& e) {
        EXPECT_FALSE(e.description().empty());
        return e.number();
    }
    return 0;
}

class TextFileTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    std::unique_ptr<FileSystemObject> fso = win32::makeFileSystemObject();
};

TEST_F(TextFileTest, ReplacesAnExistingFileInsteadOfAppending) {
    const std::string log = folder / "RegistroOCX.log";
    writeFile(log, "una pasada anterior, mucho mas larga\r\n");
    wchar_t shortName[MAX_PATH];
    const DWORD n = ::GetShortPathNameW(toWide(log).c_str(), shortName, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);

    for (const std::string& path : {log, win32::toUtf8(shortName)}) {  // the same file by its short name
        auto stream = fso->createTextFile(path);
        EXPECT_EQ(readFile(path), "") << "the file is empty as soon as it is created";
        stream->writeLine("A.ocx");
        stream->close();
        EXPECT_EQ(readFile(path), "A.ocx\r\n");
    }
}

TEST_F(TextFileTest, WritesAnsiBytesWithCrLfAfterEveryLineAndNoMark) {
    const std::wstring enie = L"\u00F1";
    if (!test::ansiRepresentable(enie)) GTEST_SKIP() << "the ANSI code page " << ::GetACP() << " lacks the letter";
    const std::string log = folder / "RegistroOCX.log";

    auto stream = fso->createTextFile(log);
    stream->writeLine("Compa\xC3\xB1" "ia.ocx Se registro exitosamente ");
    stream->writeLine("");
    stream->writeLine("  B.ocx Error; registrando ");
    stream->close();

    const std::string expected = "Compa" + test::ansiBytes(enie) + "ia.ocx Se registro exitosamente \r\n" +
                                 "\r\n" + "  B.ocx Error; registrando \r\n";
    EXPECT_EQ(readFile(log), expected);
}

TEST_F(TextFileTest, EachLineReachesTheFileBeforeWriteLineReturns) {
    const std::string log = folder / "RegistroOCX.log";
    auto stream = fso->createTextFile(log);
    stream->writeLine("primera");
    EXPECT_EQ(readFile(log), "primera\r\n");
    stream->writeLine("segunda");
    EXPECT_EQ(readFile(log), "primera\r\nsegunda\r\n");
    stream.reset();  // released without close: the lines stay
    EXPECT_EQ(readFile(log), "primera\r\nsegunda\r\n");
}

TEST_F(TextFileTest, CloseTwiceIsHarmlessAndWritingAfterCloseRaises) {
    const std::string log = folder / "RegistroOCX.log";
    auto stream = fso->createTextFile(log);
    stream->writeLine("A.ocx");
    stream->close();
    EXPECT_NO_THROW(stream->close());
    EXPECT_EQ(errorNumberOf([&] { stream->writeLine("B.ocx"); }), errnum::badFileName);
    EXPECT_EQ(readFile(log), "A.ocx\r\n");
}

TEST_F(TextFileTest, RefusalsRaise) {
    const std::string directory = folder / "RegistroOCX.log";
    test::makeFolder(directory);
    EXPECT_NE(errorNumberOf([&] { fso->createTextFile(directory); }), 0) << "a folder where the log should be";

    const std::string held = folder / "held.log";
    writeFile(held, "ocupado");
    {
        const auto holder = holdExclusively(held, OPEN_EXISTING);
        EXPECT_EQ(errorNumberOf([&] { fso->createTextFile(held); }), errnum::permissionDenied);
    }
    EXPECT_EQ(readFile(held), "ocupado");

    const std::string readOnly = folder / "solo_lectura.log";
    writeFile(readOnly, "anterior");
    ASSERT_TRUE(::SetFileAttributesW(toWide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(errorNumberOf([&] { fso->createTextFile(readOnly); }), errnum::permissionDenied);
    EXPECT_EQ(readFile(readOnly), "anterior");
    ::SetFileAttributesW(toWide(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(errorNumberOf([&] { fso->createTextFile(folder / "no\\existe\\RegistroOCX.log"); }),
              errnum::pathNotFound);
}

class CopyFileTest : public TextFileTest {};

TEST_F(CopyFileTest, ReplacesAnExistingDestination) {
    const std::string source = folder / "MSCOMCTL.OCX";
    const std::string destination = folder / "copia.ocx";
    writeFile(source, std::string("MZ\0\x01nuevo", 8));
    writeFile(destination, "un destino anterior y mas largo");

    fso->copyFile(source, destination);

    EXPECT_EQ(readFile(destination), std::string("MZ\0\x01nuevo", 8));
    EXPECT_EQ(readFile(source), std::string("MZ\0\x01nuevo", 8));
}

TEST_F(CopyFileTest, DestinationInUseRaisesAndIsLeftAsItWas) {
    const std::string source = folder / "MSCOMCTL.OCX";
    const std::string destination = folder / "copia.ocx";
    writeFile(source, "nuevo");
    writeFile(destination, "anterior");
    {
        const auto holder = holdExclusively(destination, OPEN_EXISTING);
        EXPECT_NE(errorNumberOf([&] { fso->copyFile(source, destination); }), 0);
    }
    EXPECT_EQ(readFile(destination), "anterior");
}

TEST_F(CopyFileTest, MissingSourceAndMissingFolderRaiseTheirNumbers) {
    const std::string source = folder / "MSCOMCTL.OCX";
    writeFile(source, "contenido");

    EXPECT_EQ(errorNumberOf([&] { fso->copyFile(folder / "falta.ocx", folder / "copia.ocx"); }),
              errnum::fileNotFound);
    EXPECT_FALSE(test::fileExists(folder / "copia.ocx"));
    EXPECT_EQ(errorNumberOf([&] { fso->copyFile(source, folder / "no_hay\\copia.ocx"); }), errnum::pathNotFound);
}

TEST_F(CopyFileTest, CopiesFilesNamedOutsideTheAnsiCodePage) {
    const std::string name = "componente_\xCE\xA9\xD0\xB6.ocx";  // Greek omega, Cyrillic zhe
    const std::string source = folder / name;
    const std::string destination = folder / ("copia_" + name);
    writeFile(source, "unicode");

    fso->copyFile(source, destination);

    EXPECT_EQ(readFile(destination), "unicode");
}

}  // namespace
}  // namespace trevanil

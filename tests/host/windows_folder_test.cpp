// WINDIR as the pass and the check use it: the system's own Windows folder,
// however spelled (which spellings name it is the system's to say:
// tests/wine/faults), and then as the system spells it; anything else as
// unset: nothing copied, loaded or read, every component an error, and one
// line in the detailed log and in the check's report that says why.
#include <gtest/gtest.h>

#include <map>

#include "app/frm_trevanil.h"
#include "check/pc_check.h"
#include "fake_platform.h"
#include "install/copy_record.h"
#include "install/registered_file.h"
#include "install/windows_folder.h"
#include "detail/detail_collector.h"
#include "detail/detailed_runtime.h"

namespace trevanil {
namespace {

const std::string kRefused = " no es la carpeta de Windows del sistema (C:\\WINDOWS): se tom\xC3\xB3 como no definida";

// Spellings of the system's folder (1) and of a user's (2); every path
// asked about is noted. No class or type library anywhere.
struct FakeSystem final : SystemFolders, CheckProbe {
    std::map<std::string, int> ids{
        {"C:\\WINDOWS", 1}, {"c:/windows", 1}, {"\\\\?\\C:\\WINDOWS", 1}, {"C:\\Users\\ana\\w", 2}};
    mutable std::vector<std::string> opened;
    std::string windowsFolder() const override { return "C:\\WINDOWS"; }
    bool sameFolder(const std::string& a, const std::string& b) const override {
        opened.push_back(a);
        return ids.count(a) != 0 && ids.at(a) == ids.at(b);
    }
    std::optional<FileVersion> version(const std::string&) const override { return {}; }
    std::optional<TypeLibrary> typeLibrary(const std::string&) const override { return {}; }
    std::optional<std::string> inprocServer(const std::string&) const override { return {}; }
    std::optional<std::string> typeLibraryFile(const TypeLibrary&) const override { return {}; }
    std::vector<DeclaredClass> classesServedBy(const std::vector<std::string>&) const override { return {}; }
};

struct Row {
    const char* name;
    std::string windir;
    bool opened;       // asked about: on the system folder's drive
    std::string line;  // why it was not used; empty: used
};

void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class WindirRow : public ::testing::TestWithParam<Row> {};

TEST_P(WindirRow, DecidesWhatThePassAndTheCheckTouch) {
    const Row& row = GetParam();
    const bool used = row.line.empty();
    FakeSystem system;
    const WindowsFolderChoice windows = windowsFolderFrom(row.windir, system);
    EXPECT_EQ(system.opened, row.opened ? std::vector<std::string>{row.windir} : std::vector<std::string>{});

    fake::FakePlatform p;
    fake::FakeProbe files(p.files);
    files.broken = true;  // the check breaks off at its first read
    DetailCollector collector(files);
    if (windows.refused) collector.add(*windows.refused);
    DetailedRuntime runtime(p, collector);
    const CopyRecord copies;
    const RegisteredFile registered(p, copies);
    FrmTrevanil(p, runtime, p, windows.folders, registered).Timer2_Timer();
    std::string log, report;
    for (const std::string& name : p.list1.items) {
        log += name + (used ? " Se registro exitosamente \r\n" : " Error; registrando \r\n");
        report += name + " Incorrecto\r\n";
    }
    const std::string why = used ? "" : "*** WINDIR: " + row.line + "\r\n";
    EXPECT_EQ(p.count("copyFile"), used ? 5 : 0);
    EXPECT_EQ(p.count("load"), used ? 5 : 0);
    EXPECT_EQ(p.files[p.logPath()], log + why);

    p.logFile = "C:\\app\\ComprobacionOCX.log";
    EXPECT_EQ(checkPc(runtime, windows.folders, p.list1.items, files, system),
              used ? CheckResult::brokenOff : CheckResult::notAllRight);
    EXPECT_EQ(p.files[p.logFile], used ? "" : report + why);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindirRow,
    ::testing::Values(Row{"TheSystemsSpelling", "C:\\WINDOWS", true, ""},
                      Row{"ForwardSlashesAnotherCase", "c:/windows", true, ""},
                      Row{"LongPathPrefix", "\\\\?\\C:\\WINDOWS", true, ""},
                      Row{"AUsersFolder", "C:\\Users\\ana\\w", true, "C:\\Users\\ana\\w" + kRefused},
                      Row{"AnotherDrive", "D:\\WINDOWS", false, "D:\\WINDOWS" + kRefused},
                      Row{"AShare", "\\\\servidor\\c$\\WINDOWS", false, "\\\\servidor\\c$\\WINDOWS" + kRefused},
                      Row{"APipe", "\\\\.\\pipe\\C:\\WINDOWS", false, "\\\\.\\pipe\\C:\\WINDOWS" + kRefused},
                      Row{"TheCurrentDrive", "\\WINDOWS", false, "\\WINDOWS" + kRefused},
                      Row{"Relative", "WINDOWS", false, "WINDOWS" + kRefused},
                      Row{"Unset", "", false, "no est\xC3\xA1 definida"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

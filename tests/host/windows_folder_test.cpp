// WINDIR as the pass and the check use it: the system's own Windows folder,
// however spelled, and then as the system spells it; anything else as
// unset: nothing copied, loaded or read, every component an error, and the
// detailed log and the check's report say why in one line.
#include <gtest/gtest.h>

#include <map>

#include "app/frm_trevanil.h"
#include "check/comprobacion.h"
#include "fake_platform.h"
#include "install/newer_copy_loader.h"
#include "install/windows_folder.h"
#include "platform/detail_collector.h"
#include "platform/detailed_loader.h"
#include "platform/detailed_runtime.h"

namespace trevanil {
namespace {

const std::string kCheck = "C:\\app\\ComprobacionOCX.log";
const std::string kRefused = " no es la carpeta de Windows del sistema (C:\\WINDOWS): se tom\xC3\xB3 como no definida";

// Spellings of two existing folders, the system's (1) and a user's (2).
struct FakeFolders final : SystemFolders {
    std::map<std::string, int> ids{{"C:\\WINDOWS", 1},         {"C:\\WINDOWS\\", 1},    {"c:/windows", 1},
                                   {"\\\\?\\C:\\WINDOWS", 1}, {"C:\\WINDOWS\\..\\WINDOWS", 1}, {"C:\\WINDOW~1", 1},
                                   {"C:\\Users\\ana\\w", 2}};
    mutable std::vector<std::string> opened;
    std::string windowsFolder() const override { return "C:\\WINDOWS"; }
    bool sameFolder(const std::string& a, const std::string& b) const override {
        opened.push_back(a);
        return ids.count(a) != 0 && ids.count(b) != 0 && ids.at(a) == ids.at(b);
    }
};

// Every file the check looks for; no class or type library anywhere.
struct Reads final : fake::FakeProbe, CheckProbe {
    using FakeProbe::FakeProbe;
    mutable std::vector<std::string> read;
    bool fileExists(const std::string& path) const override { return read.push_back(path), FakeProbe::fileExists(path); }
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
    FakeFolders folders;
    const WindowsFolder windows = windowsFolderFrom(row.windir, folders);
    EXPECT_EQ(folders.opened, row.opened ? std::vector<std::string>{row.windir} : std::vector<std::string>{});

    fake::FakePlatform p;
    p.env["WINDIR"] = row.windir;
    Reads files(p.files);
    DetailCollector collector(files);
    if (windows.refused) collector.add(*windows.refused);
    DetailedRuntime detailed(p, collector);
    DetailedLoader detailedLoader(p, collector);
    WindowsFolderRuntime runtime(detailed, windows.path);
    NewerCopyLoader newer(detailedLoader, p, runtime);
    WindowsFolderLoader loader(newer, windows.path);
    FrmTrevanil frm(p, runtime, loader);
    frm.Timer2_Timer();
    std::vector<std::string> names, loads;
    std::string log;
    for (const std::string& item : p.list1.items) {
        names.push_back(item);
        if (used) loads.push_back("load C:\\WINDOWS\\System\\" + item);
        log += item + (used ? " Se registro exitosamente \r\n" : " Error; registrando \r\n");
    }
    EXPECT_EQ(p.count("copyFile"), used ? 5 : 0);
    EXPECT_EQ(p.only("load"), loads);
    EXPECT_EQ(p.files[p.logPath()], log + (used ? "" : "*** WINDIR: " + row.line + "\r\n"));

    p.logFile = kCheck;
    files.read.clear();
    comprobar(runtime, names, files, files);
    EXPECT_EQ(files.read.size(), used ? 10u : 0u);
    if (!used) {
        std::string report;
        for (const std::string& name : names) report += name + " Incorrecto\r\n";
        EXPECT_EQ(p.files[kCheck], report + "*** WINDIR: " + row.line + "\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindirRow,
    ::testing::Values(Row{"TheSystemsSpelling", "C:\\WINDOWS", true, ""},
                      Row{"TrailingSeparator", "C:\\WINDOWS\\", true, ""},
                      Row{"ForwardSlashesAnotherCase", "c:/windows", true, ""},
                      Row{"LongPathPrefix", "\\\\?\\C:\\WINDOWS", true, ""},
                      Row{"DotDot", "C:\\WINDOWS\\..\\WINDOWS", true, ""},
                      Row{"ShortName", "C:\\WINDOW~1", true, ""},
                      Row{"AUsersFolder", "C:\\Users\\ana\\w", true, "C:\\Users\\ana\\w" + kRefused},
                      Row{"AMissingFolder", "C:\\no-existe", true, "C:\\no-existe" + kRefused},
                      Row{"AnotherDrive", "D:\\WINDOWS", false, "D:\\WINDOWS" + kRefused},
                      Row{"AShare", "\\\\servidor\\c$\\WINDOWS", false, "\\\\servidor\\c$\\WINDOWS" + kRefused},
                      Row{"APipe", "\\\\.\\pipe\\C:\\WINDOWS", false, "\\\\.\\pipe\\C:\\WINDOWS" + kRefused},
                      Row{"TheCurrentDrive", "\\WINDOWS", false, "\\WINDOWS" + kRefused},
                      Row{"Relative", "WINDOWS", false, "WINDOWS" + kRefused},
                      Row{"Unset", "", false, "no est\xC3\xA1 definida"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

// The pass undone (/U), with the detailed log: for msflxgrd.ocx as each row
// leaves it after a pass (the other four were never counted by this
// program), its log line, the detail lines, what it changed and the exit
// code. Each row fails without its rule.
#include <gtest/gtest.h>

#include <functional>

#include "app/program.h"
#include "fake_platform.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using Journal = std::vector<std::string>;

const std::string kFile = "C:\\WINDOWS\\System32\\msflxgrd.ocx", kSystem = "C:\\WINDOWS\\System\\msflxgrd.ocx";
const std::string kWow = "C:\\WINDOWS\\SysWOW64\\msflxgrd.ocx";

struct FakeHost final : Host {
    void run(FormEvents& events) override { events.Form_Load(), events.Timer2_Timer(); }
    std::optional<PlatformError> untrapped() const override { return std::nullopt; }
    void prepareViewer() override {}
    bool finishViewer() override { return true; }
    void appendLine(const std::string&) override {}
    void inform(const std::string& text) override { informed.push_back(text); }
    Journal informed;
};

struct SameWindows final : SystemFolders {
    std::string windowsFolder() const override { return "C:\\WINDOWS"; }
    bool sameFolder(const std::string& a, const std::string& b) const override { return a == b; }
};

RegistryValue number(std::uint32_t n) { return {RegistryValue::Type::number, n, {}}; }

// The file in System32 as a pass leaves it: its count and the record.
std::function<void(FakePlatform&)> counted(RegistryValue count, std::uint32_t record,
                                           std::function<void(FakePlatform&)> more = [](FakePlatform&) {}) {
    return [=](FakePlatform& p) {
        p.files[kFile] = "<msflxgrd.ocx>";
        if (count.type != RegistryValue::Type::absent) p.sharedDlls[kFile] = count;
        p.counted["msflxgrd.ocx"] = number(record);
        more(p);
    };
}

// Unregistered from System, the count and the record gone.
Journal removed(Journal between = {}) {
    Journal j{"load " + kSystem, "call DllUnregisterServer", "removeValue " + kFile};
    j.insert(j.end(), between.begin(), between.end());
    j.push_back("removeValue msflxgrd.ocx");
    return j;
}
const Journal kDeleted = removed({"removeFile " + kFile});

struct Row {
    const char* name;
    std::function<void(FakePlatform&)> prepare;
    const char* line;
    Journal changes;
    int exitCode = 0;
    std::string detail = "";
    bool fileStays = true;
};

void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class UninstallTable : public ::testing::TestWithParam<Row> {};

TEST_P(UninstallTable, TakesBackOnlyWhatThisProgramCounted) {
    const Row& row = GetParam();
    FakePlatform p;
    row.prepare(p);
    const bool wasThere = p.files.count(kFile) != 0;
    FakeHost host;
    CommandLine options;
    options.verbose = options.uninstall = true;
    fake::FakeProbe probe(p.files);
    const SameWindows folders;
    EXPECT_EQ(runUninstall(options, host, {p, p, p, p, probe, folders, p, p}), row.exitCode);
    std::string log;
    for (const char* name : {"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "mscomctl.ocx"}) {
        log += std::string(name) + " Se dejo como estaba \r\n";
    }
    EXPECT_EQ(p.files["C:\\app\\RegistroOCX.log"], log + "msflxgrd.ocx" + row.line + "\r\n" + row.detail);
    Journal changes;
    for (const std::string& e : p.journal) {
        for (const char* op : {"load ", "call ", "setNumber ", "removeValue ", "removeFile ", "scheduleDeletion "}) {
            if (e.rfind(op, 0) == 0) changes.push_back(e);
        }
    }
    EXPECT_EQ(changes, row.changes);
    EXPECT_EQ(p.files.count(kFile) != 0, wasThere && row.fileStays);
    EXPECT_EQ(p.files.count(kSystem), 0u);  // System's copy is never touched (the fake keeps modules apart)
    EXPECT_EQ(host.informed, row.exitCode == 3010 ? Journal{std::string(kRestartToRemove)} : Journal{});
    EXPECT_EQ(p.caption(), "Quitando: msflxgrd.ocx");
    EXPECT_EQ(p.bar.value(), 100.0f);
}

const std::string kWaits = "*** msflxgrd.ocx: se borrar\xC3\xA1 al reiniciar: ";
const std::string kNotDeleted = "*** msflxgrd.ocx: no se pudo borrar " + kFile;

INSTANTIATE_TEST_SUITE_P(
    Rows, UninstallTable,
    ::testing::Values(
        Row{"NeverRan", [](FakePlatform&) {}, " Se dejo como estaba ", {}},
        Row{"CountedByAnotherProductOnly", [](FakePlatform& p) { p.sharedDlls[kFile] = number(1); },
            " Se dejo como estaba ", {}},
        Row{"PutThereLastCount", counted(number(1), 1), " Se quito exitosamente ", kDeleted, 0, "", false},
        Row{"ThereBeforeLastCount", counted(number(1), 0), " Se quito exitosamente ", removed()},
        Row{"CountZeroStaysZero", counted(number(0), 1), " Se quito exitosamente ", kDeleted, 0, "", false},
        Row{"UsedByOthers", counted(number(3), 1), " Se dejo; lo usan otros programas ",
            {"setNumber " + kFile + " 2", "removeValue msflxgrd.ocx"}},
        Row{"CountAsText", counted({RegistryValue::Type::text, 0, "2"}, 1), " Se dejo; lo usan otros programas ",
            {"setNumber " + kFile + " 1", "removeValue msflxgrd.ocx"}},
        Row{"CountMissing", counted({}, 1), " Se dejo como estaba ", {}, 0,
            "*** msflxgrd.ocx: su cuenta de archivo compartido (SharedDLLs: " + kFile + ") falta: se dej\xC3\xB3 como "
            "estaba\r\n"},
        Row{"CountNotANumber", counted({RegistryValue::Type::text, 0, "dos"}, 1), " Se dejo como estaba ", {}, 0,
            "*** msflxgrd.ocx: su cuenta de archivo compartido (SharedDLLs: " + kFile + ") no es un n\xC3\xBAmero: se "
            "dej\xC3\xB3 como estaba\r\n"},
        Row{"UnregistrationRefusedChangesNothing",
            counted(number(1), 1, [](FakePlatform& p) { p.modules[kSystem] = {{"DllUnregisterServer", 1}}; }),
            " Error; quitando ", {"load " + kSystem, "call DllUnregisterServer"}, 1,
            "*** msflxgrd.ocx: DllUnregisterServer devolvi\xC3\xB3 0x00000001, un c\xC3\xB3" "digo de \xC3\xA9xito "
            "distinto de 0\r\n"},
        Row{"NewerInSystem32",
            counted(number(1), 0, [](FakePlatform& p) { p.versions = {{kFile, 2}, {kSystem, 1}}, p.modules[kFile] = {{"DllUnregisterServer", 0}}; }),
            " Se quito exitosamente ",
            {"load " + kFile, "call DllUnregisterServer", "removeValue " + kFile, "removeValue msflxgrd.ocx"}},
        Row{"InUse", counted(number(1), 1, [](FakePlatform& p) { p.refused[kFile] = 32; }), " Se quito exitosamente ",
            removed({"removeFile " + kFile, "scheduleDeletion " + kFile}), 3010, kWaits + kFile + "\r\n"},
        Row{"LoadedImageOnWow64",
            counted(number(1), 1, [](FakePlatform& p) { p.refused[kFile] = 5, p.held = {kFile}, p.wow64 = true; }),
            " Se quito exitosamente ", removed({"removeFile " + kFile, "scheduleDeletion " + kWow}), 3010,
            kWaits + kWow + "\r\n"},
        Row{"DeletionRefused", counted(number(1), 1, [](FakePlatform& p) { p.refused[kFile] = 5; }),
            " Error; quitando ", removed({"removeFile " + kFile}), 1,
            kNotDeleted + " (error 5: Acceso denegado.)\r\n"},
        Row{"SchedulingRefused",
            counted(number(1), 1, [](FakePlatform& p) {
                p.refused[kFile] = 32, p.fail("scheduleDeletion", 1, 70, "Permiso denegado");
            }),
            " Error; quitando ",
            removed({"removeFile " + kFile, "scheduleDeletion " + kFile + " [error 70]"}), 1,
            kNotDeleted + " (error 70: Permiso denegado)\r\n"},
        Row{"RegistryRefused",
            counted(number(1), 1, [](FakePlatform& p) { p.fail("removeValue", 1, 70, "Permiso denegado"); }),
            " Error; quitando ", {"load " + kSystem, "call DllUnregisterServer", "removeValue " + kFile + " [error 70]"},
            1, "*** msflxgrd.ocx: no se pudo anotar su cuenta de archivo compartido (error 70: Permiso denegado)\r\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(UninstallExitCodes, OneForEachOutcome) {
    EXPECT_EQ(exitCode(UninstallResult::notAllDone, true), 1);
    EXPECT_EQ(exitCode(UninstallResult::brokenOff), 1603);
}

}  // namespace
}  // namespace trevanil

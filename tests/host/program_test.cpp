// The program's decisions. The same pass, run as a user starts it, as an
// unattended run starts it (/S) and with the detailed log (/V): the same
// calls in the same order, except that the unattended run keeps the report
// instead of showing it, starts no viewer and adds the report to the end of
// the log it created; the detailed log ends with its detail lines, written
// once. What a command line leads to before anything exists, and the exit
// codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "app/program.h"
#include "fake_platform.h"
#include "platform/text.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using Journal = std::vector<std::string>;

const std::string kSystem = "C:\\WINDOWS\\System\\";

// The system's side: the window's timer fires once the window loads.
struct FakeHost final : Host {
    void run(FormEvents& events) override {
        events.Form_Load();
        events.Timer2_Timer();
    }
    std::optional<PlatformError> untrapped() const override { return std::nullopt; }
    void prepareViewer() override {}
    bool finishViewer() override { return true; }
    void appendLine(const std::string& line) override { appended.push_back(line); }
    void inform(const std::string& text) override { informed.push_back(text); }
    Journal appended, informed;
};

// The fake platform's WINDIR is the system's Windows folder.
struct SameWindows final : SystemFolders {
    std::string windowsFolder() const override { return "C:\\WINDOWS"; }
    bool sameFolder(const std::string& a, const std::string& b) const override { return a == b; }
};

CommandLine switches(bool quiet, bool verbose) {
    CommandLine options;
    options.quiet = options.quietWritten = quiet;
    options.verbose = verbose;
    return options;
}

// One run of the pass; the probe answers the detailed log's questions.
int run(FakePlatform& p, const CommandLine& options, FakeHost& host, bool brokenProbe = false) {
    fake::FakeProbe probe(p.files);
    probe.broken = brokenProbe;
    const SameWindows folders;
    return runPass(options, host, {p, p, p, p, probe, folders, p, p});
}

struct Case {
    const char* name;
    std::function<void(FakePlatform&)> prepare;
    int exitCode;
    std::string detail = "";   // the detail lines the log ends with
    Journal report = {};       // what the unattended run adds to its log
    bool brokenProbe = false;  // every question to the system fails: the pass ends as without /V
    std::optional<Journal> counted = std::nullopt;  // msflxgrd.ocx's count and record written
    bool restart = false;      // a file waits for the restart: a box says so where someone watches
    Journal staged = {};       // what the pass did beside a file in use
};

// msflxgrd.ocx's copy, also the name of its count under SharedDLLs.
const std::string kFlexGrid = "C:\\WINDOWS\\System32\\msflxgrd.ocx";
Journal counted(int count, int record) {
    return {"setNumber " + kFlexGrid + " " + std::to_string(count), "setNumber msflxgrd.ocx " + std::to_string(record)};
}
void there(FakePlatform& p) { p.files[kFlexGrid] = "anterior"; }
RegistryValue number(std::uint32_t n) { return {RegistryValue::Type::number, n, {}}; }
RegistryValue text(const std::string& t) { return {RegistryValue::Type::text, 0, t}; }

// mscomct2.ocx's copy in use: a sharing violation unless `more` says otherwise.
const std::string kInUse = "C:\\WINDOWS\\System32\\mscomct2.ocx", kWow = "C:\\WINDOWS\\SysWOW64\\";
const std::string kStaged = "C:\\WINDOWS\\System32\\~trevanil-mscomct2.ocx.new";
const std::string kWaits = "*** mscomct2.ocx: se sustituir\xC3\xA1 al reiniciar: ";
const std::string kWaitsLine = kWaits + kInUse + "\r\n";
const Journal kReplaced{"copyFile C:\\app\\mscomct2.ocx -> " + kStaged, "schedule " + kStaged + " -> " + kInUse};
Case inUse(const char* name, std::function<void(FakePlatform&)> more, int code, const std::string& detail,
           Journal staged = kReplaced) {
    return {name, [more](FakePlatform& p) { p.refused[kInUse] = 32, more(p); }, code, detail, {}, false, std::nullopt,
            detail.find(kWaits) != std::string::npos, std::move(staged)};
}

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

bool ofTheMode(const std::string& e) { return e.rfind("msgBox", 0) == 0 || e.rfind("openViewer", 0) == 0; }

class SamePass : public ::testing::TestWithParam<Case> {};

TEST_P(SamePass, InEveryMode) {
    const Case& c = GetParam();
    FakePlatform shown;
    c.prepare(shown);
    FakeHost shownHost;
    EXPECT_EQ(run(shown, switches(false, false), shownHost), c.exitCode);
    EXPECT_TRUE(shownHost.appended.empty());
    EXPECT_EQ(shownHost.informed, c.restart ? Journal{std::string(kRestartNeeded)} : Journal{});

    FakePlatform quiet;
    c.prepare(quiet);
    FakeHost quietHost;
    EXPECT_EQ(run(quiet, switches(true, false), quietHost), c.exitCode);
    Journal expected;
    std::copy_if(shown.journal.begin(), shown.journal.end(), std::back_inserter(expected),
                 [](const std::string& e) { return !ofTheMode(e); });
    EXPECT_EQ(quiet.journal, expected);
    EXPECT_EQ(quiet.files, shown.files);
    EXPECT_EQ(quiet.callHandles, shown.callHandles);
    EXPECT_EQ(quietHost.appended, c.report);
    EXPECT_TRUE(quietHost.informed.empty());

    FakePlatform detailed;
    c.prepare(detailed);
    FakeHost detailedHost;
    EXPECT_EQ(run(detailed, switches(false, true), detailedHost, c.brokenProbe), c.exitCode);
    Journal withoutDetail;
    std::copy_if(detailed.journal.begin(), detailed.journal.end(), std::back_inserter(withoutDetail),
                 [](const std::string& e) { return e.rfind("writeLine ***", 0) != 0; });
    EXPECT_EQ(withoutDetail, shown.journal);
    if (shown.files.count(shown.logPath()) != 0) shown.files[shown.logPath()] += c.detail;
    EXPECT_EQ(detailed.files, shown.files);
    const Journal flexGrid = shown.only("setNumber", "msflxgrd");
    EXPECT_EQ(flexGrid, c.counted.value_or(flexGrid));
    EXPECT_EQ(shown.only("", "~trevanil-"), c.staged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SamePass,
    ::testing::Values(
        Case{"AllRegistered", [](FakePlatform&) {}, 0},
        Case{"OneNotRegistered",
             [](FakePlatform& p) { p.modules[kSystem + "mscomct2.ocx"] = {{"DllRegisterServer", 1}}; }, 1,
             "*** mscomct2.ocx: DllRegisterServer devolvi\xC3\xB3 0x00000001, un c\xC3\xB3" "digo de \xC3\xA9xito distinto de "
             "0\r\n"},
        Case{"CopyRefused", [](FakePlatform& p) { p.fail("copyFile", 2, 70, "Permiso denegado"); }, 0,
             "*** msadodc.ocx: no se pudo copiar a C:\\WINDOWS\\System32\\msadodc.ocx (error 70: Permiso denegado)\r\n"},
        Case{"KeptNewer",
             [](FakePlatform& p) {
                 p.versions["C:\\app\\msadodc.ocx"] = fileVersion(0x10000, 2);
                 p.versions["C:\\WINDOWS\\System32\\msadodc.ocx"] = fileVersion(0x20000, 0x10000);
             },
             0, "*** msadodc.ocx: no se copi\xC3\xB3: la versi\xC3\xB3n instalada, 2.0.1.0, es m\xC3\xA1s nueva que la de la carpeta "
             "del programa, 1.0.0.2\r\n"},
        // The counts of the shared files, the same in every mode.
        Case{"CountedOnAFreshPc", [](FakePlatform&) {}, 0, "", {}, false, counted(1, 1)},
        Case{"CountedWhenThereUncounted", there, 0, "", {}, false, counted(2, 0)},
        Case{"CountUpByOne", [](FakePlatform& p) { there(p), p.sharedDlls[kFlexGrid] = number(3); }, 0, "", {}, false,
             counted(4, 0)},
        Case{"CountedOncePerPc",
             [](FakePlatform& p) { there(p), p.sharedDlls[kFlexGrid] = number(4), p.counted["msflxgrd.ocx"] = number(0); },
             0, "", {}, false, Journal{}},
        Case{"CountTakenCountedAgain",
             [](FakePlatform& p) { there(p), p.sharedDlls[kFlexGrid] = number(0), p.counted["msflxgrd.ocx"] = number(1); },
             0, "", {}, false, counted(2, 1)},
        Case{"CountAsText", [](FakePlatform& p) { there(p), p.sharedDlls[kFlexGrid] = text("5"); }, 0, "", {}, false,
             counted(6, 0)},
        Case{"CountNotANumber", [](FakePlatform& p) { there(p), p.sharedDlls[kFlexGrid] = text("5 copias"); }, 0,
             "*** msflxgrd.ocx: su cuenta de archivo compartido (SharedDLLs: " + kFlexGrid + ") no es un n\xC3\xBAmero: "
             "se dej\xC3\xB3 como estaba\r\n", {}, false, Journal{}},
        Case{"NotInSystem32NotCounted", [](FakePlatform& p) { p.files.erase("C:\\app\\msflxgrd.ocx"); }, 0,
             "*** msflxgrd.ocx: no se copi\xC3\xB3: no existe el archivo C:\\app\\msflxgrd.ocx\r\n", {}, false, Journal{}},
        Case{"CopyRefusedOverAFileThere", [](FakePlatform& p) { there(p), p.fail("copyFile", 5, 70, "Permiso denegado"); },
             0, "*** msflxgrd.ocx: no se pudo copiar a " + kFlexGrid + " (error 70: Permiso denegado)\r\n", {}, false,
             counted(2, 0)},
        Case{"CountNotWritten", [](FakePlatform& p) { p.fail("setNumber", 1, 70, "Permiso denegado"); }, 0,
             "*** comdlg32.ocx: no se pudo anotar su cuenta de archivo compartido (error 70: Permiso denegado)\r\n"},
        // A file in use: replaced at the restart, once, where the system reads it then; 1 still wins.
        inUse("InUse", [](FakePlatform&) {}, 3010, kWaitsLine),
        inUse("LoadedImage", [](FakePlatform& p) { p.refused[kInUse] = 5, p.held = {kInUse}; }, 3010, kWaitsLine),
        inUse("ReadOnlyIsNotInUse", [](FakePlatform& p) { p.refused[kInUse] = 5; }, 0,
              "*** mscomct2.ocx: no se pudo copiar a " + kInUse + " (error 5: Acceso denegado.)\r\n", {}),
        inUse("NewerInUseIsKept",
              [](FakePlatform& p) { p.versions = {{"C:\\app\\mscomct2.ocx", 1}, {kInUse, fileVersion(2, 0)}}; }, 0,
              "*** mscomct2.ocx: no se copi\xC3\xB3: la versi\xC3\xB3n instalada, 0.2.0.0, es m\xC3\xA1s nueva que la "
              "de la carpeta del programa, 0.0.0.1\r\n", {}),
        inUse("AlreadyWaiting",
              [](FakePlatform& p) { p.pendingList = {"\\??\\" + lowerAscii(kStaged), "!\\??\\" + kInUse}; }, 3010,
              kWaitsLine, {kReplaced[0]}),
        inUse("OtherRenamesWaiting",
              [](FakePlatform& p) { p.pendingList = {"\\??\\C:\\a", "!\\??\\" + kInUse, "\\??\\" + kStaged, ""}; },
              3010, kWaitsLine),
        inUse("SchedulingRefused", [](FakePlatform& p) { p.fail("schedule", 1, 5, "Acceso denegado"); }, 0,
              "*** mscomct2.ocx: no se pudo copiar a " + kInUse + " (error 32)\r\n",
              {kReplaced[0], kReplaced[1] + " [error 5]", "discard " + kStaged}),
        inUse("OnWow64", [](FakePlatform& p) { p.wow64 = true; }, 3010, kWaits + kWow + "mscomct2.ocx\r\n",
              {"copyFile C:\\app\\mscomct2.ocx -> " + kWow + "~trevanil-mscomct2.ocx.new",
               "schedule " + kWow + "~trevanil-mscomct2.ocx.new -> " + kWow + "mscomct2.ocx"}),
        inUse("NotAllRegistered", [](FakePlatform& p) { p.modules.erase(kSystem + "msadodc.ocx"); }, 1,
              kWaitsLine + "*** msadodc.ocx: no existe el archivo C:\\WINDOWS\\System\\msadodc.ocx\r\n"),
        Case{"NoCause", [](FakePlatform& p) { p.modules.erase(kSystem + "msadodc.ocx"); }, 1,
             "*** msadodc.ocx: no se pudo averiguar la causa\r\n", {}, true},
        Case{"LogElsewhere", [](FakePlatform& p) { p.logFile = "D:\\Registros\\PC 12.log"; }, 0},
        Case{"NoLog", [](FakePlatform& p) { p.fail("createTextFile", 1, 70, "Permiso denegado"); }, 1603},
        Case{"BrokenAfterTheLog",
             [](FakePlatform& p) {
                 p.modules.erase(kSystem + "msadodc.ocx");
                 p.fail("writeLine", 3, 57, "Error de E/S en el dispositivo");
             },
             1603, "*** msadodc.ocx: no existe el archivo C:\\WINDOWS\\System\\msadodc.ocx\r\n",
             {"*** Instalacion interrumpida: 57 Error de E/S en el dispositivo"}},
        Case{"BrokenAtClose", [](FakePlatform& p) { p.fail("close", 1, 61, "Disco lleno"); }, 1603, "",
             {"*** Instalacion interrumpida: 61 Disco lleno"}}),
    [](const auto& row) { return std::string(row.param.name); });

// /U with /V for msflxgrd.ocx as each row leaves it (the other four never counted): line, detail, changes, exit code.
struct Undo {
    const char* name;
    std::function<void(FakePlatform&)> prepare;
    std::string line;
    Journal changes;
    int exitCode = 0;
    std::string detail = "";
};
std::function<void(FakePlatform&)> countedAs(RegistryValue count, int record, void (*more)(FakePlatform&) = nullptr) {
    return [=](FakePlatform& p) { there(p), p.sharedDlls[kFlexGrid] = count, p.counted["msflxgrd.ocx"] = number(record),
                                  more ? more(p) : void(); };
}
const std::string kLast[] = {"load " + kSystem + "msflxgrd.ocx", "call DllUnregisterServer", "removeValue " + kFlexGrid,
                             "removeFile " + kFlexGrid, "removeValue msflxgrd.ocx"};

class UninstallTable : public ::testing::TestWithParam<Undo> {};

TEST_P(UninstallTable, TakesBackOnlyWhatThisProgramCounted) {
    const Undo& row = GetParam();
    FakePlatform p;
    row.prepare(p);
    FakeHost host;
    fake::FakeProbe probe(p.files);
    const SameWindows folders;
    EXPECT_EQ(runUninstall(parseCommandLine("t.exe /U /V"), host, {p, p, p, p, probe, folders, p, p}), row.exitCode);
    EXPECT_EQ(p.files["C:\\app\\RegistroOCX.log"], "comdlg32.ocx Se dejo como estaba \r\nmsadodc.ocx Se dejo como estaba "
              "\r\nmscomct2.ocx Se dejo como estaba \r\nmscomctl.ocx Se dejo como estaba \r\nmsflxgrd.ocx " + row.line +
              " \r\n" + row.detail);
    Journal changes;  // in the order made
    for (const std::string& e : p.journal) {
        for (const char* op : {"load ", "call ", "setNumber ", "removeValue ", "removeFile ", "scheduleDeletion "}) {
            if (e.rfind(op, 0) == 0) changes.push_back(e);
        }
    }
    EXPECT_EQ(changes, row.changes);
    EXPECT_EQ(host.informed, row.exitCode == 3010 ? Journal{std::string(kRestartToRemove)} : Journal{});
    EXPECT_EQ(p.caption() + " " + std::to_string(p.bar.value()), "Quitando: msflxgrd.ocx 100.000000");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UninstallTable,
    ::testing::Values(
        Undo{"CountedByAnotherProductOnly", [](FakePlatform& p) { p.sharedDlls[kFlexGrid] = number(1); },
             "Se dejo como estaba", {}},
        Undo{"PutThereLastCount", countedAs(number(1), 1), "Se quito exitosamente", {kLast, kLast + 5}},
        Undo{"ThereBeforeLastCount", countedAs(number(1), 0), "Se quito exitosamente",
             {kLast[0], kLast[1], kLast[2], kLast[4]}},
        Undo{"UsedByOthers", countedAs(text("3"), 1), "Se dejo; lo usan otros programas",
             {"setNumber " + kFlexGrid + " 2", kLast[4]}},
        Undo{"CountMissing", [](FakePlatform& p) { p.counted["msflxgrd.ocx"] = number(1); }, "Se dejo como estaba", {}, 0,
             "*** msflxgrd.ocx: su cuenta de archivo compartido (SharedDLLs: " + kFlexGrid + ") falta: se dej\xC3\xB3 como "
             "estaba\r\n"},
        Undo{"UnregistrationRefusedChangesNothing",
             countedAs(number(1), 1, [](FakePlatform& p) { p.modules[kSystem + "msflxgrd.ocx"] = {{"Dll", 0}}; }),
             "Error; quitando", {kLast[0]}, 1,
             "*** msflxgrd.ocx: no tiene el punto de entrada DllUnregisterServer\r\n"},
        Undo{"LoadedImageOnWow64",
             countedAs(number(1), 1, [](FakePlatform& p) { p.refused[kFlexGrid] = 5, p.held = {kFlexGrid}, p.wow64 = 1; }),
             "Se quito exitosamente", {kLast[0], kLast[1], kLast[2], kLast[3], "scheduleDeletion " + kWow + "msflxgrd.ocx", kLast[4]},
             3010, "*** msflxgrd.ocx: se borrar\xC3\xA1 al reiniciar: " + kWow + "msflxgrd.ocx\r\n"},
        Undo{"DeletionRefused", countedAs(number(1), 1, [](FakePlatform& p) { p.refused[kFlexGrid] = 5; }),
             "Error; quitando", {kLast, kLast + 5}, 1,
             "*** msflxgrd.ocx: no se pudo borrar " + kFlexGrid + " (error 5: Acceso denegado.)\r\n"},
        Undo{"RegistryRefused", countedAs(number(1), 1, [](FakePlatform& p) { p.fail("value", 5, 70, "X"); }),
             "Error; quitando", {}, 1, "*** msflxgrd.ocx: no se pudo anotar su cuenta de archivo compartido (error 70: X)\r\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LogPath, TheLogAndTheViewerGoWhereTheRuntimeSays) {
    FakePlatform p;
    p.logFile = "D:\\Registros\\PC 12.log";
    FakeHost host;
    run(p, {}, host);
    EXPECT_EQ(p.only("createTextFile"), Journal{"createTextFile D:\\Registros\\PC 12.log"});
    EXPECT_EQ(p.only("openViewer"), Journal{"openViewer D:\\Registros\\PC 12.log"});
    EXPECT_EQ(p.files.count("C:\\app\\RegistroOCX.log"), 0u);

    FakePlatform beside;
    run(beside, {}, host);
    EXPECT_EQ(p.files[p.logFile], beside.files["C:\\app\\RegistroOCX.log"]);
}

struct StartRow {
    const char* name;
    std::string line;
    bool held;  // whether the results file can be made
    Start::Run run;
    int exitCode;
    Start::Box box;
};

void PrintTo(const StartRow& r, std::ostream* out) { *out << r.name; }

class StartTable : public ::testing::TestWithParam<StartRow> {};

TEST_P(StartTable, DecidesWhatRunsAndWhatIsShown) {
    const StartRow& row = GetParam();
    bool asked = false;
    const Start start = decideStart(parseCommandLine("Trevanil.exe " + row.line), [&] { return asked = true, row.held; });
    EXPECT_EQ(start.run, row.run);
    if (row.run == Start::Run::nothing) {
        EXPECT_EQ(start.exitCode, row.exitCode);
    }
    EXPECT_EQ(start.box, row.box);
    EXPECT_EQ(start.text.empty(), row.box == Start::Box::none);
    // The results file is made only for a line that runs something.
    EXPECT_EQ(asked, row.run != Start::Run::nothing || (row.exitCode == 87 && !row.held));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StartTable,
    ::testing::Values(StartRow{"Pass", "", true, Start::Run::pass, 0, Start::Box::none},
                      StartRow{"Check", "/C /S", true, Start::Run::check, 0, Start::Box::none},
                      StartRow{"UninstallWithCheck", "/U /C", true, Start::Run::nothing, 87, Start::Box::error},
                      StartRow{"Usage", "/?", true, Start::Run::nothing, 0, Start::Box::information},
                      StartRow{"UsageUnattended", "/? /S", true, Start::Run::nothing, 87, Start::Box::none},
                      StartRow{"BadLine", "/X", true, Start::Run::nothing, 87, Start::Box::error},
                      StartRow{"BadLineUnattended", "/X /silent", true, Start::Run::nothing, 87, Start::Box::none},
                      StartRow{"NoResultsFile", "/LOG=Z:\\no\\x.log", false, Start::Run::nothing, 87,
                               Start::Box::error},
                      StartRow{"NoResultsFileUnattended", "/S /LOG=Z:\\no\\x.log", false, Start::Run::nothing,
                               87, Start::Box::none}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ExitCodes, OneForEachOutcome) {
    EXPECT_EQ(exitCode(PassResult::allRegistered), 0);
    EXPECT_EQ(exitCode(PassResult::notAllRegistered), 1);
    EXPECT_EQ(exitCode(PassResult::notRun), 1602);
    EXPECT_EQ(exitCode(PassResult::brokenOff), 1603);
    EXPECT_EQ(exitCode(CheckResult::allRight), 0);
    EXPECT_EQ(exitCode(CheckResult::notAllRight), 1);
    EXPECT_EQ(exitCode(CheckResult::brokenOff), 1603);
    EXPECT_EQ(exitCode(UninstallResult::notAllDone, true), 1);
}

}  // namespace
}  // namespace trevanil

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

#include "app/program.h"
#include "fake_platform.h"

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
    Journal appended;
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
    return runPass(options, host, {p, p, p, p, probe, folders});
}

struct Case {
    const char* name;
    std::function<void(FakePlatform&)> prepare;
    int exitCode;
    std::string detail = "";   // the detail lines the log ends with
    Journal report = {};       // what the unattended run adds to its log
    bool brokenProbe = false;  // every question to the system fails: the pass ends as without /V
};

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
}

}  // namespace
}  // namespace trevanil

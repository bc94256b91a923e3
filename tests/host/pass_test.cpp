// The whole installation pass, started the way the program starts it: by
// Timer2's tick.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/frm_trevanil.h"
#include "fake_platform.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using Journal = std::vector<std::string>;

const std::string kLog = "C:\\app\\RegistroOCX.log";
const std::string kSystem = "C:\\WINDOWS\\System\\";
const std::string kEnd[] = {"timer2 interval 0", "timer2 enabled false", "unload", "end"};

std::string success(const std::string& n) { return n + " Se registro exitosamente \r\n"; }
std::string failure(const std::string& n) { return n + " Error; registrando \r\n"; }

class Pass : public ::testing::Test {
protected:
    void runPass() { frm.Timer2_Timer(); }
    // The journal from the first entry of `op` on.
    Journal from(const std::string& op) const {
        const auto first = std::find_if(p.journal.begin(), p.journal.end(),
                                        [&](const std::string& e) { return e.rfind(op, 0) == 0; });
        return Journal(first, p.journal.end());
    }

    FakePlatform p;
    const CopyRecord copies;
    const RegisteredFile registered{p, copies};
    FrmTrevanil frm{p, p, p, WindowsFolders("C:\\WINDOWS"), registered};
};

TEST_F(Pass, LogCopiesRegistrationsViewerThenTheWindowCloses) {
    p.list1.items = {"a.ocx", "b.ocx"};
    p.modules = {{kSystem + "a.ocx", {{"DllRegisterServer", 0}}}, {kSystem + "b.ocx", {{"DllRegisterServer", 0}}}};
    runPass();
    const std::string fso = "createObject Scripting.FileSystemObject";
    EXPECT_EQ(p.journal, (Journal{
                             fso,
                             "createTextFile " + kLog,
                             fso,
                             "copyFile C:\\app\\a.ocx -> C:\\WINDOWS\\System32\\a.ocx",
                             "doEvents",
                             "caption Copiando: a.ocx",
                             "progress 0",
                             fso,
                             "copyFile C:\\app\\b.ocx -> C:\\WINDOWS\\System32\\b.ocx",
                             "doEvents",
                             "caption Copiando: b.ocx",
                             "progress 50",
                             "load " + kSystem + "a.ocx",
                             "procAddress DllRegisterServer",
                             "call DllRegisterServer",
                             "free",
                             "writeLine a.ocx Se registro exitosamente ",
                             "doEvents",
                             "caption Registrando: a.ocx",
                             "progress 50",
                             "load " + kSystem + "b.ocx",
                             "procAddress DllRegisterServer",
                             "call DllRegisterServer",
                             "free",
                             "writeLine b.ocx Se registro exitosamente ",
                             "doEvents",
                             "caption Registrando: b.ocx",
                             "progress 100",
                             "close",
                             "openViewer " + kLog,
                             "timer2 interval 0",
                             "timer2 enabled false",
                             "unload",
                             "end",
                         }));
    EXPECT_EQ(p.callHandles, (std::vector<std::int32_t>{0x1234, 0x1234}));
    EXPECT_EQ(p.timer2.interval(), 0);
    EXPECT_FALSE(p.timer2.enabled());
    EXPECT_TRUE(p.openFiles.empty());
}

TEST_F(Pass, FiveComponentsWithMixedOutcomesAreAllLoggedInOrder) {
    p.modules.erase(kSystem + "msadodc.ocx");                       // missing from System: not loadable
    p.modules[kSystem + "mscomct2.ocx"] = {{"DllRegisterServer", 1}};  // S_FALSE is no success
    p.modules[kSystem + "msflxgrd.ocx"] = {{"DllGetClassObject", 0}};  // no registration entry point
    p.handle = -42;
    runPass();
    EXPECT_EQ(p.files[kLog], success("comdlg32.ocx") + failure("msadodc.ocx") + failure("mscomct2.ocx") +
                                 success("mscomctl.ocx") + failure("msflxgrd.ocx"));
    EXPECT_EQ(p.only("load"), (Journal{"load " + kSystem + "comdlg32.ocx", "load " + kSystem + "msadodc.ocx",
                                       "load " + kSystem + "mscomct2.ocx", "load " + kSystem + "mscomctl.ocx",
                                       "load " + kSystem + "msflxgrd.ocx"}));
    // Every copy step came first: all five before the first load, none after.
    const Journal registration = from("load");
    EXPECT_EQ(p.count("copyFile"), 5);
    EXPECT_TRUE(std::none_of(registration.begin(), registration.end(), [](const std::string& e) {
        return e.rfind("copyFile", 0) == 0 || e.rfind("caption Copiando", 0) == 0;
    }));
    const auto progress = std::count_if(registration.begin(), registration.end(),
                                        [](const std::string& e) { return e.rfind("progress", 0) == 0; });
    EXPECT_EQ(progress, 5);
    EXPECT_EQ(p.only("progress"), (Journal{"progress 0", "progress 12.5", "progress 25", "progress 37.5", "progress 50",
                                           "progress 50", "progress 62.5", "progress 75", "progress 87.5",
                                           "progress 100"}));
    const Journal captions = p.only("caption");
    EXPECT_EQ(Journal(captions.begin() + 5, captions.end()),
              (Journal{"caption Registrando: comdlg32.ocx", "caption Registrando: msadodc.ocx",
                       "caption Registrando: mscomct2.ocx", "caption Registrando: mscomctl.ocx",
                       "caption Registrando: msflxgrd.ocx"}));
    EXPECT_EQ(p.callHandles, (std::vector<std::int32_t>{-42, -42, -42}));
    EXPECT_EQ(p.caption(), "Registrando: msflxgrd.ocx");
    EXPECT_EQ(p.bar.value(), 100.0f);
    EXPECT_EQ(p.only("openViewer"), (Journal{"openViewer " + kLog}));
    EXPECT_TRUE(p.only("msgBox").empty());
}

TEST_F(Pass, AnEarlierLogIsReplaced) {
    p.files[kLog] = "viejo.ocx Se registro exitosamente \r\n";
    p.list1.items = {"comdlg32.ocx"};
    runPass();
    EXPECT_EQ(p.files[kLog], success("comdlg32.ocx"));
}

TEST_F(Pass, NamesAreTrimmedForRegistrationLogAndCaption) {
    p.list1.items = {"  comdlg32.ocx  ", " mscomctl.ocx"};
    p.modules[kSystem + "comdlg32.ocx"] = {{"DllRegisterServer", 0}};
    runPass();
    EXPECT_EQ(p.only("load"), (Journal{"load " + kSystem + "comdlg32.ocx", "load " + kSystem + "mscomctl.ocx"}));
    EXPECT_EQ(p.files[kLog], success("comdlg32.ocx") + success("mscomctl.ocx"));
    EXPECT_EQ(p.caption(), "Registrando: mscomctl.ocx");
}

TEST_F(Pass, AnEmptyListGivesAnEmptyLogThatIsStillShown) {
    p.list1.items.clear();
    runPass();
    EXPECT_EQ(p.journal, (Journal{"createObject Scripting.FileSystemObject", "createTextFile " + kLog, "close",
                                  "openViewer " + kLog, kEnd[0], kEnd[1], kEnd[2], kEnd[3]}));
    EXPECT_EQ(p.files[kLog], "");
    EXPECT_EQ(p.caption(), "Trevanil");
    EXPECT_EQ(p.bar.value(), 0.0f);
    EXPECT_EQ(frm.pass().ultimoCopiado(), 0);
}

TEST_F(Pass, OneEntryIsRegisteredLoggedAndShownWithoutDividingByZero) {
    p.list1.items = {"mscomctl.ocx"};
    runPass();
    EXPECT_EQ(p.files[kLog], success("mscomctl.ocx"));
    EXPECT_EQ(p.only("progress"), (Journal{"progress 50", "progress 100"}));
    EXPECT_EQ(from("close"), (Journal{"close", "openViewer " + kLog, kEnd[0], kEnd[1], kEnd[2], kEnd[3]}));
    EXPECT_TRUE(p.only("msgBox").empty());
}

TEST_F(Pass, TheRegistrationBarIsOffsetByTheLastCopiedIndex) {
    // An item that arrives during the copy phase is registered, but the copy
    // phase ended at index 4, and that is the registration phase's offset.
    p.onDoEvents = [this] {
        if (p.count("doEvents") == 1) p.list1.items.push_back("extra.ocx");
    };
    runPass();
    EXPECT_EQ(frm.pass().ultimoCopiado(), 4);
    EXPECT_EQ(p.count("copyFile"), 5);
    EXPECT_EQ(p.count("load"), 6);
    const Journal progress = p.only("progress");
    EXPECT_EQ(Journal(progress.begin() + 5, progress.end()),
              (Journal{"progress 40", "progress 50", "progress 60", "progress 70", "progress 80", "progress 90"}));
}

// An error raised at one step of the pass.
struct Failure {
    const char* op;
    int nth;
    std::int32_t number;
    const char* description;
    bool logOpen;     // the log was open when the error came
    int lines;        // log lines written before it; -1: no log at all
};

void PrintTo(const Failure& f, std::ostream* out) { *out << f.op << " #" << f.nth; }

class BrokenPass : public Pass, public ::testing::WithParamInterface<Failure> {};

TEST_P(BrokenPass, EndsInOneReportAndTheWindowStillCloses) {
    const Failure f = GetParam();
    p.fail(f.op, f.nth, f.number, f.description);
    runPass();

    const std::string report = "msgBox " + std::to_string(f.number) + " " + f.description;
    EXPECT_EQ(p.only("msgBox"), (Journal{report}));

    // Nothing of the pass after the failed step, apart from closing the log.
    const auto broken = std::find_if(p.journal.begin(), p.journal.end(),
                                     [](const std::string& e) { return e.find(" [error ") != std::string::npos; });
    ASSERT_NE(broken, p.journal.end());
    EXPECT_EQ(broken->rfind(f.op, 0), 0u) << *broken;
    Journal rest;
    std::copy_if(broken + 1, p.journal.end(), std::back_inserter(rest),
                 [](const std::string& e) { return e != "close"; });
    EXPECT_EQ(rest, (Journal{report, kEnd[0], kEnd[1], kEnd[2], kEnd[3]}));

    // The log keeps what was written and is closed before the report.
    const std::string names[] = {"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "mscomctl.ocx", "msflxgrd.ocx"};
    if (f.lines < 0) {
        EXPECT_EQ(p.files.count(kLog), 0u);
    } else {
        std::string expected;
        for (int i = 0; i < f.lines; ++i) expected += success(names[i]);
        EXPECT_EQ(p.files[kLog], expected);
    }
    EXPECT_TRUE(p.openFiles.empty());
    if (f.logOpen) {
        const auto reportAt = std::find(p.journal.begin(), p.journal.end(), report);
        EXPECT_EQ(*(reportAt - 1), "close");
    }
    EXPECT_EQ(p.count("openViewer"), std::string(f.op) == "openViewer" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, BrokenPass,
    ::testing::Values(
        Failure{"createObject", 1, 429, "El componente ActiveX no puede crear el objeto", false, -1},
        Failure{"createTextFile", 1, 70, "Permiso denegado", false, -1},
        Failure{"load", 3, 48, "Error al cargar la DLL", true, 2},
        Failure{"load", 2, -2147024770, "No se encontr\xC3\xB3 el m\xC3\xB3" "dulo especificado.", true, 1},
        Failure{"writeLine", 4, 57, "Error de E/S en el dispositivo", true, 3},
        Failure{"doEvents", 7, 5, "Llamada a procedimiento o argumento no v\xC3\xA1lidos", true, 2},
        Failure{"caption", 7, 5, "Llamada a procedimiento o argumento no v\xC3\xA1lidos", true, 2},
        Failure{"progress", 8, 6, "Desbordamiento", true, 3},
        Failure{"close", 1, 61, "Disco lleno", true, 5},
        Failure{"openViewer", 1, 53, "No se ha encontrado el archivo", false, 5}));

TEST_F(Pass, AnErrorBeforeTheLogCopiesNothing) {
    p.fail("createTextFile", 1, 70, "Permiso denegado");
    runPass();
    EXPECT_EQ(p.count("copyFile"), 0);
    EXPECT_EQ(p.count("load"), 0);
    EXPECT_EQ(p.caption(), "Trevanil");
}

TEST_F(Pass, AFailedReadOfTheWindowEndsThePassToo) {
    p.fail("hWnd", 2, 91, "Variable de objeto o bloque With no establecido");
    runPass();
    EXPECT_EQ(p.files[kLog], success("comdlg32.ocx"));
    EXPECT_EQ(p.count("load"), 1);
    EXPECT_EQ(from("close"), (Journal{"close", "msgBox 91 Variable de objeto o bloque With no establecido", kEnd[0],
                                       kEnd[1], kEnd[2], kEnd[3]}));
}

TEST_F(Pass, AReportThatCannotBeShownStillClosesTheWindow) {
    p.fail("createObject", 1, 429, "El componente ActiveX no puede crear el objeto");
    p.fail("msgBox", 1, 7, "Memoria insuficiente");
    runPass();
    EXPECT_EQ(from("timer2"), (Journal{kEnd[0], kEnd[1], kEnd[2], kEnd[3]}));
}

TEST_F(Pass, ATickDuringThePassStartsNoSecondOne) {
    std::vector<bool> cerrable;
    p.onDoEvents = [&] {
        cerrable.push_back(frm.canClose());
        frm.Timer2_Timer();
    };
    frm.Form_Load();
    EXPECT_TRUE(p.journal.empty());
    EXPECT_TRUE(frm.canClose());
    runPass();
    EXPECT_EQ(cerrable, std::vector<bool>(10, false));
    EXPECT_EQ(p.count("createTextFile"), 1);
    EXPECT_EQ(p.count("copyFile"), 5);
    EXPECT_EQ(p.count("load"), 5);
    EXPECT_EQ(p.count("end"), 1);
    EXPECT_EQ(from("close"), (Journal{"close", "openViewer " + kLog, kEnd[0], kEnd[1], kEnd[2], kEnd[3]}));

    const std::size_t antes = p.journal.size();
    runPass();  // a tick after the pass
    EXPECT_EQ(p.journal.size(), antes);
}

TEST_F(Pass, ATickWhileTheErrorReportIsShownStartsNoSecondOne) {
    p.fail("load", 1, 48, "Error al cargar la DLL");
    p.onMsgBox = [&] {
        EXPECT_FALSE(frm.canClose());
        frm.Timer2_Timer();
    };
    runPass();
    EXPECT_EQ(p.count("createTextFile"), 1);
    EXPECT_EQ(p.count("msgBox"), 1);
    EXPECT_EQ(p.count("end"), 1);
}

}  // namespace
}  // namespace trevanil

// The copy phase, driven directly through the window's public procedure.
#include <gtest/gtest.h>

#include "install/install_pass.h"
#include "fake_platform.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using Journal = std::vector<std::string>;

const Journal kNombres{"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "mscomctl.ocx", "msflxgrd.ocx"};

class Copiar : public ::testing::Test {
protected:
    Copiar() {
        // What the window shows when each step pumps events: the previous step's outcome.
        p.onDoEvents = [this] {
            shown.push_back(p.caption() + " | " + std::to_string(p.bar.value()));
            ultimos.push_back(frm.ultimoCopiado());
        };
    }
    std::string fuente(const std::string& n) const { return "C:\\app\\" + n; }
    std::string destino(const std::string& n) const { return "C:\\WINDOWS\\System32\\" + n; }
    bool copiado(const std::string& n) const { return p.files.count(destino(n)) == 1; }

    FakePlatform p;
    const CopyRecord copies;
    const RegisteredFile registered{p, copies};
    InstallPass frm{p, p, p, WindowsFolders("C:\\WINDOWS"), registered};
    std::vector<std::string> shown;
    std::vector<std::int32_t> ultimos;  // ultimoCopiado as each step pumps events
};

TEST_F(Copiar, FiveEntriesAreCopiedInOrderAndTheBarReachesHalf) {
    frm.copiar();
    Journal copias, titulos;
    for (const auto& n : kNombres) {
        copias.push_back("copyFile " + fuente(n) + " -> " + destino(n));
        titulos.push_back("caption Copiando: " + n);
        EXPECT_EQ(p.files[destino(n)], "<" + n + ">") << n;
    }
    EXPECT_EQ(p.only("copyFile"), copias);
    EXPECT_EQ(p.only("caption"), titulos);
    EXPECT_EQ(p.only("progress"), (Journal{"progress 0", "progress 12.5", "progress 25", "progress 37.5", "progress 50"}));
    EXPECT_EQ(p.count("createObject"), 5);
    EXPECT_EQ(frm.ultimoCopiado(), 4);
    EXPECT_EQ(ultimos, (std::vector<std::int32_t>{0, 0, 1, 2, 3}));  // each step records its own index
    EXPECT_EQ(p.bar.value(), 50.0f);
    EXPECT_EQ(p.caption(), "Copiando: msflxgrd.ocx");
    EXPECT_TRUE(p.only("writeLine").empty());
}

TEST_F(Copiar, EachStepCreatesCopiesPumpsNamesAndMovesTheBarInThatOrder) {
    p.list1.items = {"a.ocx", "b.ocx"};
    p.files = {{fuente("a.ocx"), "A"}, {fuente("b.ocx"), "B"}};
    frm.copiar();
    EXPECT_EQ(p.journal, (Journal{
                             "createObject Scripting.FileSystemObject",
                             "copyFile " + fuente("a.ocx") + " -> " + destino("a.ocx"),
                             "doEvents",
                             "caption Copiando: a.ocx",
                             "progress 0",
                             "createObject Scripting.FileSystemObject",
                             "copyFile " + fuente("b.ocx") + " -> " + destino("b.ocx"),
                             "doEvents",
                             "caption Copiando: b.ocx",
                             "progress 50",
                         }));
    EXPECT_EQ(frm.ultimoCopiado(), 1);
}

TEST_F(Copiar, NamesAreTrimmedInEveryPathAndCaption) {
    p.list1.items = {"  comdlg32.ocx ", "mi  archivo.ocx  "};
    p.files = {{fuente("comdlg32.ocx"), "1"}, {fuente("mi  archivo.ocx"), "2"}};
    frm.copiar();
    EXPECT_EQ(p.only("copyFile"), (Journal{"copyFile " + fuente("comdlg32.ocx") + " -> " + destino("comdlg32.ocx"),
                                           "copyFile " + fuente("mi  archivo.ocx") + " -> " + destino("mi  archivo.ocx")}));
    EXPECT_EQ(p.only("caption"), (Journal{"caption Copiando: comdlg32.ocx", "caption Copiando: mi  archivo.ocx"}));
    EXPECT_TRUE(copiado("comdlg32.ocx"));
    EXPECT_TRUE(copiado("mi  archivo.ocx"));
}

TEST_F(Copiar, NoObjectInTheFirstStepMeansNoCopyForItButTheStepGoesOn) {
    p.fail("createObject", 1, 429, "El componente ActiveX no puede crear el objeto");
    frm.copiar();
    EXPECT_FALSE(copiado("comdlg32.ocx"));
    EXPECT_EQ(p.count("copyFile"), 4);
    for (const auto& n : kNombres) {
        if (n != "comdlg32.ocx") {
            EXPECT_TRUE(copiado(n)) << n;
        }
    }
    EXPECT_EQ(p.journal[0], "createObject Scripting.FileSystemObject [error 429]");
    EXPECT_EQ(p.journal[1], "doEvents");
    EXPECT_EQ(p.journal[2], "caption Copiando: comdlg32.ocx");
    EXPECT_EQ(p.journal[3], "progress 0");
    EXPECT_EQ(frm.ultimoCopiado(), 4);
}

TEST_F(Copiar, NoObjectInALaterStepReusesThePreviousOne) {
    p.fail("createObject", 3, 429, "El componente ActiveX no puede crear el objeto");
    frm.copiar();
    EXPECT_EQ(p.count("copyFile"), 5);
    for (const auto& n : kNombres) EXPECT_TRUE(copiado(n)) << n;
}

TEST_F(Copiar, AFailedCopyIsSkippedSilentlyAndEverythingElseAdvances) {
    p.fail("copyFile", 2, 70, "Permiso denegado");
    p.files.erase(fuente("mscomctl.ocx"));  // missing from the program's folder: raises 53
    frm.copiar();
    EXPECT_FALSE(copiado("msadodc.ocx"));
    EXPECT_FALSE(copiado("mscomctl.ocx"));
    EXPECT_TRUE(copiado("comdlg32.ocx"));
    EXPECT_TRUE(copiado("mscomct2.ocx"));
    EXPECT_TRUE(copiado("msflxgrd.ocx"));
    EXPECT_EQ(p.count("caption"), 5);
    EXPECT_EQ(p.count("progress"), 5);
    EXPECT_EQ(p.bar.value(), 50.0f);
    EXPECT_EQ(frm.ultimoCopiado(), 4);
}

TEST_F(Copiar, AFailedCaptionOrBarKeepsItsOldValueAndTheStepGoesOn) {
    p.fail("caption", 2, 5, "Llamada a procedimiento o argumento no v\xC3\xA1lidos");
    p.fail("progress", 3, 6, "Desbordamiento");
    frm.copiar();
    EXPECT_EQ(shown, (Journal{"Trevanil | 0.000000", "Copiando: comdlg32.ocx | 0.000000",
                              "Copiando: comdlg32.ocx | 12.500000", "Copiando: mscomct2.ocx | 12.500000",
                              "Copiando: mscomctl.ocx | 37.500000"}));
    EXPECT_EQ(p.count("copyFile"), 5);
    EXPECT_EQ(p.caption(), "Copiando: msflxgrd.ocx");
    EXPECT_EQ(p.bar.value(), 50.0f);
    EXPECT_EQ(frm.ultimoCopiado(), 4);
}

TEST_F(Copiar, AnEmptyListChangesNothing) {
    frm.copiar();  // ultimoCopiado now 4
    p.journal.clear();
    p.list1.items.clear();
    frm.copiar();
    EXPECT_TRUE(p.journal.empty());
    EXPECT_EQ(frm.ultimoCopiado(), 4);
    EXPECT_EQ(p.caption(), "Copiando: msflxgrd.ocx");
    EXPECT_EQ(p.bar.value(), 50.0f);

    FakePlatform nuevo;
    nuevo.list1.items.clear();
    InstallPass otra(nuevo, nuevo, nuevo, WindowsFolders("C:\\WINDOWS"), registered);
    otra.copiar();
    EXPECT_TRUE(nuevo.journal.empty());
    EXPECT_EQ(otra.ultimoCopiado(), 0);
    EXPECT_EQ(nuevo.caption(), "Trevanil");
    EXPECT_EQ(nuevo.bar.value(), 0.0f);
}

TEST_F(Copiar, OneEntryIsCopiedAndFillsTheFirstHalfWithoutDividingByZero) {
    p.list1.items = {"mscomctl.ocx"};
    frm.copiar();
    EXPECT_EQ(p.only("copyFile"), (Journal{"copyFile " + fuente("mscomctl.ocx") + " -> " + destino("mscomctl.ocx")}));
    EXPECT_EQ(p.only("progress"), (Journal{"progress 50"}));
    EXPECT_EQ(p.caption(), "Copiando: mscomctl.ocx");
    EXPECT_EQ(frm.ultimoCopiado(), 0);
}

TEST_F(Copiar, TheNumberOfStepsIsReadOnceButTheBarReadsTheCountAgain) {
    p.onDoEvents = [this] {
        if (p.count("doEvents") == 1) p.list1.items.push_back("extra.ocx");
    };
    frm.copiar();
    EXPECT_EQ(p.count("copyFile"), 5);
    EXPECT_EQ(p.only("progress"), (Journal{"progress 0", "progress 10", "progress 20", "progress 30", "progress 40"}));
    EXPECT_EQ(frm.ultimoCopiado(), 4);
}

}  // namespace
}  // namespace trevanil

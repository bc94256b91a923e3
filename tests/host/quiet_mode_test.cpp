// The same pass, run as a user starts it and as an unattended run starts it:
// the same calls in the same order, except that the unattended runtime keeps
// the report instead of showing it and starts no viewer. Both leave the same
// outcome for the exit code. With the detailed log, the same calls again,
// and the detail lines at the log's end, written once.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/frm_trevanil.h"
#include "fake_platform.h"
#include "detail/detail_collector.h"
#include "detail/detailed_loader.h"
#include "detail/detailed_runtime.h"
#include "app/quiet_runtime.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using Journal = std::vector<std::string>;

const std::string kSystem = "C:\\WINDOWS\\System\\";

struct Caso {
    const char* nombre;
    std::function<void(FakePlatform&)> preparar;
    PassResult resultado;
    bool logCreado;
    std::string detalle = "";  // the detail lines the log ends with
    bool sondaRota = false;    // every question to the system fails: the pass ends as without /V
};

void PrintTo(const Caso& c, std::ostream* out) { *out << c.nombre; }

bool esDeModo(const std::string& e) { return e.rfind("msgBox", 0) == 0 || e.rfind("shell", 0) == 0; }

class MismaPasada : public ::testing::TestWithParam<Caso> {};

TEST_P(MismaPasada, EnAmbosModos) {
    const Caso& caso = GetParam();
    FakePlatform visible;
    caso.preparar(visible);
    FrmTrevanil conVentana(visible, visible, visible);
    conVentana.Timer2_Timer();

    FakePlatform callada;
    caso.preparar(callada);
    QuietRuntime silencioso(callada);
    FrmTrevanil sinVentana(callada, silencioso, callada);
    sinVentana.Timer2_Timer();

    Journal esperado;
    std::copy_if(visible.journal.begin(), visible.journal.end(), std::back_inserter(esperado),
                 [](const std::string& e) { return !esDeModo(e); });
    EXPECT_EQ(callada.journal, esperado);
    EXPECT_EQ(callada.files, visible.files);
    EXPECT_EQ(callada.callHandles, visible.callHandles);

    Journal informes;
    for (const std::string& e : visible.only("msgBox")) informes.push_back(e.substr(7));
    EXPECT_EQ(silencioso.reports(), informes);
    EXPECT_EQ(conVentana.result(), caso.resultado);
    EXPECT_EQ(sinVentana.result(), caso.resultado);
    EXPECT_EQ(silencioso.created(visible.logPath()), caso.logCreado);

    FakePlatform detallada;
    caso.preparar(detallada);
    fake::FakeProbe sonda(detallada.files);
    sonda.broken = caso.sondaRota;
    DetailCollector detalles(sonda);
    DetailedRuntime conDetalle(detallada, detalles);
    DetailedLoader cargador(detallada, detalles);
    FrmTrevanil detalle(detallada, conDetalle, cargador);
    detalle.Timer2_Timer();
    Journal sinDetalle;
    std::copy_if(detallada.journal.begin(), detallada.journal.end(), std::back_inserter(sinDetalle),
                 [](const std::string& e) { return e.rfind("writeLine ***", 0) != 0; });
    EXPECT_EQ(sinDetalle, visible.journal);
    if (caso.logCreado) visible.files[visible.logPath()] += caso.detalle;
    EXPECT_EQ(detallada.files, visible.files);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, MismaPasada,
    ::testing::Values(
        Caso{"TodosRegistrados", [](FakePlatform&) {}, PassResult::allRegistered, true},
        Caso{"UnoSinRegistrar",
             [](FakePlatform& p) { p.modules[kSystem + "mscomct2.ocx"] = {{"DllRegisterServer", 1}}; },
             PassResult::notAllRegistered, true,
             "*** mscomct2.ocx: DllRegisterServer devolvi\xC3\xB3 0x00000001, un c\xC3\xB3" "digo de \xC3\xA9xito distinto de "
             "0\r\n"},
        Caso{"CopiaRechazada", [](FakePlatform& p) { p.fail("copyFile", 2, 70, "Permiso denegado"); },
             PassResult::allRegistered, true, "*** msadodc.ocx: no se pudo copiar a C:\\WINDOWS\\System32\\msadodc.ocx (error 70: Permiso denegado)\r\n"},
        Caso{"SinCausa", [](FakePlatform& p) { p.modules.erase(kSystem + "msadodc.ocx"); },
             PassResult::notAllRegistered, true, "*** msadodc.ocx: no se pudo averiguar la causa\r\n", true},
        Caso{"LogEnOtraRuta", [](FakePlatform& p) { p.logFile = "D:\\Registros\\PC 12.log"; },
             PassResult::allRegistered, true},
        Caso{"SinLog", [](FakePlatform& p) { p.fail("createTextFile", 1, 70, "Permiso denegado"); },
             PassResult::brokenOff, false},
        Caso{"RotaTrasElLog",
             [](FakePlatform& p) {
                 p.modules.erase(kSystem + "msadodc.ocx");
                 p.fail("writeLine", 3, 57, "Error de E/S en el dispositivo");
             },
             PassResult::brokenOff, true, "*** msadodc.ocx: no existe el archivo C:\\WINDOWS\\System\\msadodc.ocx\r\n"},
        Caso{"RotaAlCerrar", [](FakePlatform& p) { p.fail("close", 1, 61, "Disco lleno"); },
             PassResult::brokenOff, true}),
    [](const auto& row) { return std::string(row.param.nombre); });

TEST(LogPath, ElLogYElVisorVanDondeDiceElRuntime) {
    FakePlatform p;
    p.logFile = "D:\\Registros\\PC 12.log";
    FrmTrevanil frm(p, p, p);
    frm.Timer2_Timer();
    EXPECT_EQ(p.only("createTextFile"), Journal{"createTextFile D:\\Registros\\PC 12.log"});
    EXPECT_EQ(p.only("shell"), Journal{"shell notepad D:\\Registros\\PC 12.log"});
    EXPECT_EQ(p.files.count("C:\\app\\RegistroOCX.log"), 0u);

    FakePlatform junto;
    FrmTrevanil(junto, junto, junto).Timer2_Timer();
    EXPECT_EQ(p.files[p.logFile], junto.files["C:\\app\\RegistroOCX.log"]);
}

}  // namespace
}  // namespace trevanil

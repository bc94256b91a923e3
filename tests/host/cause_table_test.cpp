// The detailed log's line for every cause, and for each order between two
// causes, from a failure and what an in-memory system answers. By default a
// 32-bit component in System imports KERNEL32.dll (the system's own) and
// MSVBVM60.DLL (in System32, importing KERNEL32.dll only): nothing missing.
#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"
#include "pe_bytes.h"
#include "detail/detail_collector.h"

namespace trevanil {
namespace {

using Files = std::map<std::string, std::string>;
using Heard = std::function<void(DetailCollector&)>;  // what the collector hears
using Step = RegistrationNotDone::Step;

const std::string kOcx = "C:\\WINDOWS\\System\\x.ocx";
const std::string kVb = "C:\\WINDOWS\\System32\\MSVBVM60.DLL";
constexpr const char* kNowhere = ", que no est\xC3\xA1 en su carpeta ni en la carpeta del sistema";

std::string dll(bool plus, const std::vector<std::string>& imports) {
    const test::Bytes b = test::image(plus, imports);
    return {b.begin(), b.end()};
}

Heard registration(Step step, std::uint32_t code) {
    return [=](DetailCollector& c) { c.registrationNotDone({kOcx, step, "DllRegisterServer", code}); };
}
Heard load(std::uint32_t code = 126) { return registration(Step::load, code); }
Heard call(std::uint32_t status) { return registration(Step::call, status); }
Heard copy(std::int32_t number, std::uint32_t systemCode) {
    return [=](DetailCollector& c) {
        c.copyNotDone({"C:\\app\\x.ocx", "C:\\WINDOWS\\System32\\x.ocx", PlatformError(number, "Permiso denegado", systemCode)});
    };
}

struct Row {
    const char* name;
    std::function<void(Files&, fake::FakeProbe&)> prepare;
    Heard heard;
    std::string line;  // after "*** x.ocx: "
    unsigned programBits = 32;
};

void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class CauseTable : public ::testing::TestWithParam<Row> {};

TEST_P(CauseTable, GivesTheWholeLine) {
    const Row& row = GetParam();
    Files files{{"C:\\app\\x.ocx", "x"},
                {kOcx, dll(false, {"KERNEL32.dll", "MSVBVM60.DLL"})},
                {kVb, dll(false, {"KERNEL32.dll"})}};
    fake::FakeProbe probe(files);
    row.prepare(files, probe);
    DetailCollector collector(probe, row.programBits);
    row.heard(collector);
    EXPECT_EQ(collector.lines(), std::vector<std::string>{"*** x.ocx: " + row.line});
}

const auto kAsIs = [](Files&, fake::FakeProbe&) {};
auto component(bool plus, std::vector<std::string> imports) {
    return [=](Files& f, fake::FakeProbe&) { f[kOcx] = dll(plus, imports); };
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CauseTable,
    ::testing::Values(
        // The copy phase.
        Row{"CopyRefused", kAsIs, copy(70, 5), "no se pudo copiar a C:\\WINDOWS\\System32\\x.ocx (error 5: Acceso denegado.)"},
        Row{"CopyRefusedByTheRuntime", kAsIs, copy(70, 0),
            "no se pudo copiar a C:\\WINDOWS\\System32\\x.ocx (error 70: Permiso denegado)"},
        Row{"SourceMissing", [](Files& f, fake::FakeProbe&) { f.erase("C:\\app\\x.ocx"); }, copy(53, 2),
            "no se copi\xC3\xB3: no existe el archivo C:\\app\\x.ocx"},
        Row{"CopyRefusedWhereTheSystemReaches", [](Files&, fake::FakeProbe& p) { p.wow64 = true; }, copy(70, 5),
            "no se pudo copiar a C:\\WINDOWS\\SysWOW64\\x.ocx (error 5: Acceso denegado.)"},
        Row{"KeptNewer", kAsIs,
            [](DetailCollector& c) { c.add({"x.ocx", causes::KeptNewer{fileVersion(0x20000, 0x10000), fileVersion(0x10000, 2)}}); },
            "no se copi\xC3\xB3: la versi\xC3\xB3n instalada, 2.0.1.0, es m\xC3\xA1s nueva que la de la carpeta "
            "del programa, 1.0.0.2"},
        // The load: not there, then bitness, then DllMain, then missing DLLs, then the rest.
        Row{"NotThere", [](Files& f, fake::FakeProbe&) { f.erase(kOcx); }, load(2),
            "no existe el archivo C:\\WINDOWS\\System\\x.ocx"},
        Row{"NotThereWhereTheSystemReaches", [](Files&, fake::FakeProbe& p) { p.wow64 = true; },
            [](DetailCollector& c) { c.registrationNotDone({"C:\\WINDOWS\\System32\\x.ocx", Step::load, {}, 2}); },
            "no existe el archivo C:\\WINDOWS\\SysWOW64\\x.ocx"},
        Row{"APathTheLoaderRefusedIsNeverLookedFor", [](Files& f, fake::FakeProbe&) { f["\\System\\x.ocx"] = ""; },
            [](DetailCollector& c) { c.registrationNotDone({"\\System\\x.ocx", Step::load, {}, 161}); },
            "no se pudo cargar (error 161)"},
        Row{"SixtyFourBitsIn32", component(true, {}), load(193),
            "es un archivo de 64 bits y este programa, de 32 bits, no puede cargarlo"},
        Row{"ThirtyTwoBitsIn64", component(false, {}), load(193),
            "es un archivo de 32 bits y este programa, de 64 bits, no puede cargarlo", 64},
        Row{"BitnessBeforeDllMain", component(true, {"NADA.DLL"}), load(1114),
            "es un archivo de 64 bits y este programa, de 32 bits, no puede cargarlo"},
        Row{"DllMain", kAsIs, load(1114), "su c\xC3\xB3" "digo de inicio (DllMain) rechaz\xC3\xB3 la carga"},
        Row{"DllMainBeforeAMissingDll", [](Files& f, fake::FakeProbe&) { f.erase(kVb); }, load(1114),
            "su c\xC3\xB3" "digo de inicio (DllMain) rechaz\xC3\xB3 la carga"},
        Row{"MissingDll", [](Files& f, fake::FakeProbe&) { f.erase(kVb); }, load(), std::string("necesita MSVBVM60.DLL") + kNowhere},
        Row{"MissingDllBelow", [](Files& f, fake::FakeProbe&) { f[kVb] = dll(false, {"OLEAUT32.dll"}); }, load(),
            std::string("necesita MSVBVM60.DLL, y esta necesita OLEAUT32.dll") + kNowhere},
        Row{"DirectBeforeBelow",
            [](Files& f, fake::FakeProbe&) {
                f[kOcx] = dll(false, {"MSVBVM60.DLL", "NADA.DLL"}), f[kVb] = dll(false, {"OLEAUT32.dll"});
            },
            load(), std::string("necesita NADA.DLL") + kNowhere},
        Row{"ANameThatIsAPathIsNeverLookedFor", component(false, {"..\\x.dll"}), load(),
            "no se pudo cargar: la tabla de importaciones est\xC3\xA1 da\xC3\xB1" "ada: uno de sus nombres no es el de una "
            "DLL (error 126)"},
        Row{"NotAnImage", [](Files& f, fake::FakeProbe&) { f[kOcx] = "texto"; }, load(193),
            "no se pudo cargar: no es una imagen de Windows: no empieza por una cabecera MZ (error 193: x.ocx no es "
            "v\xC3\xA1lida.)"},
        Row{"AControlCharacterAddsNoLine", component(false, {"A\r\nB.DLL"}), load(),
            std::string("necesita A  B.DLL") + kNowhere},
        // The entry point.
        Row{"NoEntryPoint", kAsIs, registration(Step::entryPoint, 0),
            "no tiene el punto de entrada DllRegisterServer"},
        Row{"EntryFailed", kAsIs, call(0x80070005), "DllRegisterServer devolvi\xC3\xB3 0x80070005 (Acceso denegado.)"},
        Row{"EntryFailedWithoutText", kAsIs, call(0x80004005), "DllRegisterServer devolvi\xC3\xB3 0x80004005"},
        Row{"EntrySucceededWithOne", kAsIs, call(1),
            "DllRegisterServer devolvi\xC3\xB3 0x00000001, un c\xC3\xB3" "digo de \xC3\xA9xito distinto de 0"},
        // The diagnosis itself fails.
        Row{"CauseNotFound", [](Files&, fake::FakeProbe& p) { p.broken = true; }, load(),
            "no se pudo averiguar la causa"},
        // Decided elsewhere, said here.
        Row{"RegisteredFromSystem32", [](Files&, fake::FakeProbe& p) { p.wow64 = true; },
            [](DetailCollector& c) {
                c.add({"x.ocx", causes::RegisteredFromSystem32{"C:\\WINDOWS\\System32\\x.ocx",
                                                                fileVersion(0x60001, 0x610052), fileVersion(0x60001, 0x62002E)}});
            },
            "se registr\xC3\xB3 C:\\WINDOWS\\SysWOW64\\x.ocx: la copia de System, 6.1.97.82, es m\xC3\xA1s antigua que "
            "la instalada, 6.1.98.46"},
        Row{"RegisteredOlderThanCopy", kAsIs,
            [](DetailCollector& c) {
                c.add({"x.ocx", causes::RegisteredOlderThanCopy{fileVersion(0x60001, 0x610052), fileVersion(0x60001, 0x62002E)}});
            },
            "se registr\xC3\xB3 la copia de System, 6.1.97.82, m\xC3\xA1s antigua que la copiada en System32, 6.1.98.46"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

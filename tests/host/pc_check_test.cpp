// The check of a PC: which cause each finding is and in which order, as the
// report's whole lines, from an in-memory PC. Each cause's own line is seen
// end to end (tests/wine/e2e/check_test.cpp); here, what those rows miss.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "check/pc_check.h"
#include "fake_platform.h"
#include "install/shared_counts.h"
#include "pe_bytes.h"

namespace trevanil {
namespace {

const std::string kSystem32 = "C:\\WINDOWS\\System32\\x.ocx", kSystem = "C:\\WINDOWS\\System\\x.ocx";
const std::string kClsid = "{C1}", kLibid = "{L1}";

std::string dll(bool plus, const std::vector<std::string>& imports) {
    const test::Bytes b = test::image(plus, imports);
    return {b.begin(), b.end()};
}
const std::string kImage = dll(false, {"KERNEL32.dll"});

// A component as a clean pass leaves it: both files 32-bit images at
// 1.0.0.0, its class and its type library registered from System.
struct FakePc final : CheckProbe {
    std::map<std::string, std::string> files{{kSystem32, kImage}, {kSystem, kImage}};
    fake::FakeProbe probe{files};
    std::map<std::string, FileVersion> versions{{kSystem32, 1ull << 48}, {kSystem, 1ull << 48}};
    std::map<std::string, TypeLibrary> libraries{{kSystem, TypeLibrary{kLibid, 1, 0, 0, {{"Control", kClsid}}}}};
    std::map<std::string, DeclaredClass> servedBy{{kSystem, {"Control", kClsid}}};  // file -> its class
    std::map<std::string, std::string> libraryFiles{{kLibid, kSystem}};
    std::vector<std::string> pending;

    template <class Map>
    static std::optional<typename Map::mapped_type> find(const Map& map, const std::string& key) {
        const auto found = map.find(key);
        return found == map.end() ? std::nullopt : std::optional<typename Map::mapped_type>(found->second);
    }
    std::optional<FileVersion> version(const std::string& path) const override { return find(versions, path); }
    std::optional<TypeLibrary> typeLibrary(const std::string& path) const override { return find(libraries, path); }
    std::optional<std::string> inprocServer(const std::string& clsid) const override {
        for (const auto& [file, served] : servedBy) {
            if (served.clsid == clsid) return file;
        }
        return std::nullopt;
    }
    std::optional<std::string> typeLibraryFile(const TypeLibrary& library) const override {
        return find(libraryFiles, library.libid);
    }
    std::vector<DeclaredClass> classesServedBy(const std::vector<std::string>& paths) const override {
        std::vector<DeclaredClass> classes;
        for (const std::string& path : paths) {
            if (servedBy.count(path) != 0) classes.push_back(servedBy.at(path));
        }
        return classes;
    }
    std::vector<std::string> pendingRenames() const override { return pending; }
};

struct Row {
    const char* name;
    std::function<void(FakePc&)> change;
    std::vector<std::string> report;
};

void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class CheckRow : public ::testing::TestWithParam<Row> {};

TEST_P(CheckRow, FindsItsCausesInOrderAndWritesTheWholeReport) {
    FakePc pc;
    GetParam().change(pc);
    const WindowsFolders folders("C:\\WINDOWS");
    EXPECT_EQ(reportLines({checkComponent(pc.probe, pc, folders, "x.ocx", 32)}), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, CheckRow,
    ::testing::Values(
        Row{"Right", [](FakePc&) {}, {"x.ocx Correcto 1.0.0.0"}},
        Row{"RightWithoutAVersion", [](FakePc& p) { p.versions.clear(); }, {"x.ocx Correcto"}},
        Row{"System32ThenClassesThenTypeLibrary",
            [](FakePc& p) { p.files.erase(kSystem32), p.servedBy.clear(), p.libraryFiles.clear(); },
            {"x.ocx Incorrecto", "*** x.ocx: no existe el archivo " + kSystem32,
             "*** x.ocx: la clase Control {C1} no est\xC3\xA1 registrada",
             "*** x.ocx: su biblioteca de tipos {L1} 1.0 no est\xC3\xA1 registrada"}},
        Row{"DeclaredBySystem32WhenSystemIsMissing",
            [](FakePc& p) { p.files.erase(kSystem), p.libraries = {{kSystem32, p.libraries[kSystem]}}; },
            {"x.ocx Incorrecto", "*** x.ocx: la clase Control {C1} apunta a " + kSystem + ", que no existe",
             "*** x.ocx: su biblioteca de tipos {L1} 1.0 apunta a " + kSystem + ", que no existe"}},
        Row{"WithoutTypeLibraryTheClassesNamingTheFile",
            [](FakePc& p) { p.libraries.clear(), p.versions[kSystem32] = 2ull << 48; },
            {"x.ocx Incorrecto", "*** x.ocx: la clase Control {C1} apunta a " + kSystem +
                                     ", versi\xC3\xB3n 1.0.0.0, m\xC3\xA1s antigua que la de System32, 2.0.0.0"}},
        Row{"WithoutTypeLibraryNorClass", [](FakePc& p) { p.libraries.clear(), p.servedBy.clear(); },
            {"x.ocx Incorrecto", "*** x.ocx: ninguna clase apunta a este archivo"}},
        // The file a class names, as the pass's diagnosis reads it.
        Row{"AnEmptiedFile", [](FakePc& p) { p.files[kSystem] = ""; },
            {"x.ocx Incorrecto", "*** x.ocx: no se puede cargar: no es una imagen de Windows: no empieza por una "
                                 "cabecera MZ"}},
        Row{"ATruncatedFile", [](FakePc& p) { p.files[kSystem].resize(0x100); },
            {"x.ocx Incorrecto", "*** x.ocx: no se puede cargar: la tabla de secciones sale del archivo"}},
        Row{"TheOtherBitnessBeforeAMissingDll", [](FakePc& p) { p.files[kSystem] = dll(true, {"NADA.DLL"}); },
            {"x.ocx Incorrecto", "*** x.ocx: es un archivo de 64 bits y este programa, de 32 bits, no puede cargarlo"}},
        Row{"AFileThatCannotBeRead", [](FakePc& p) { p.probe.unreadable = {kSystem}; },
            {"x.ocx Incorrecto", "*** x.ocx: no se pudo averiguar la causa"}},
        // Paths from the registry that are not files on a local disk are
        // never read, though a file of that name is in the current folder.
        Row{"ABareNameAndAPipe",
            [](FakePc& p) {
                p.servedBy = {{"x.ocx", {"Control", kClsid}}}, p.files["x.ocx"] = kImage;
                p.libraryFiles[kLibid] = "\\\\.\\pipe\\x", p.files[p.libraryFiles[kLibid]] = "";
            },
            {"x.ocx Incorrecto",
             "*** x.ocx: la clase Control {C1} apunta a x.ocx, una ruta incompleta, que depender\xC3\xAD" "a de la "
             "carpeta actual",
             "*** x.ocx: su biblioteca de tipos {L1} 1.0 apunta a \\\\.\\pipe\\x, una ruta de dispositivo, que no "
             "se lee"}},
        // A 32-bit program on 64-bit Windows: the lines name the folder the
        // system reaches.
        Row{"System32AsReachedOnWow64",
            [](FakePc& p) {
                p.probe.wow64 = true, p.files.erase(kSystem32);
                p.servedBy = {{kSystem32, {"Control", kClsid}}}, p.libraryFiles[kLibid] = kSystem32;
            },
            {"x.ocx Incorrecto", "*** x.ocx: no existe el archivo C:\\WINDOWS\\SysWOW64\\x.ocx",
             "*** x.ocx: la clase Control {C1} apunta a C:\\WINDOWS\\SysWOW64\\x.ocx, que no existe",
             "*** x.ocx: su biblioteca de tipos {L1} 1.0 apunta a C:\\WINDOWS\\SysWOW64\\x.ocx, que no existe"}},
        // A rename at the restart onto the file where the system reaches it: information, no fault.
        Row{"ReplacedAtRestart",
            [](FakePc& p) { p.probe.wow64 = true, p.pending = {"\\??\\a", "!\\??\\c:\\windows\\syswow64\\X.OCX"}; },
            {"x.ocx Correcto 1.0.0.0", "*** x.ocx: se sustituir\xC3\xA1 al reiniciar: C:\\WINDOWS\\SysWOW64\\x.ocx"}}),
    [](const auto& row) { return std::string(row.param.name); });

// A file the program counted is not right once its count is gone or 0;
// one it never counted, or still counted, says nothing.
TEST(CountTakenTest, OnlyWhereTheProgramCountedAndTheCountIsGone) {
    using T = RegistryValue::Type;
    const std::string name = "C:\\WINDOWS\\System32\\x.ocx";
    const struct { std::optional<RegistryValue> record, count; bool taken; } rows[] = {
        {std::nullopt, std::nullopt, false},          {RegistryValue{T::number, 1, {}}, std::nullopt, true},
        {RegistryValue{T::number, 0, {}}, RegistryValue{T::number, 0, {}}, true},
        {RegistryValue{T::number, 1, {}}, RegistryValue{T::text, 0, "0"}, true},
        {RegistryValue{T::number, 1, {}}, RegistryValue{T::number, 2, {}}, false}};
    for (const auto& row : rows) {
        fake::FakePlatform p;
        if (row.record) p.counted["x.ocx"] = *row.record;
        if (row.count) p.sharedDlls[name] = *row.count;
        const auto taken = countTaken(p, "C:\\WINDOWS", "x.ocx");
        EXPECT_EQ(taken.has_value(), row.taken);
        EXPECT_EQ(taken ? taken->file : "", row.taken ? "x.ocx" : "");
    }
}

// The one rule by which a path is loaded, read or refused, from its text.
TEST(PathKindTest, TellsEachKind) {
    const std::map<PathKind, std::vector<std::string>> kinds{
        {PathKind::local, {"c:/a/x.ocx", "\\\\?\\C:\\x.ocx", "\\??\\C:\\x.ocx", "C:\\a\\COM10.ocx"}},
        {PathKind::network, {"\\\\srv\\c\\x.ocx", "//srv/c/x.ocx", "\\\\?\\UNC\\srv\\c\\x"}},
        {PathKind::device, {"\\\\?\\pipe\\x", "\\\\.\\C:", "C:\\a\\COM1", "C:\\a\\Con .ocx"}},
        {PathKind::relative, {"a\\x.ocx", "\\a\\x.ocx", "C:x.ocx", ""}}};
    for (const auto& [kind, paths] : kinds) {
        for (const std::string& path : paths) EXPECT_EQ(pathKind(path), kind) << path;
    }
}

}  // namespace
}  // namespace trevanil

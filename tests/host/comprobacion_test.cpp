// The check of a PC: which cause each finding is, in which order, and the
// report's whole lines, from an in-memory PC.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "check/comprobacion.h"
#include "fake_platform.h"
#include "pe_bytes.h"

namespace trevanil {
namespace {

const std::string kSystem32 = "C:\\WINDOWS\\System32\\x.ocx";
const std::string kSystem = "C:\\WINDOWS\\System\\x.ocx";
const std::string kClsid = "{7A3C1E21-0000-0000-0000-000000000001}";
const std::string kLibid = "{7A3C1E20-0000-0000-0000-000000000001}";

// The registry and the files' declarations as a map each.
struct FakePc final : CheckProbe {
    std::map<std::string, FileVersion> versions;
    std::map<std::string, TypeLibrary> libraries;            // file -> its type library
    std::map<std::string, std::pair<std::string, std::string>> servers;  // CLSID -> (name, file)
    std::map<std::string, std::string> libraryFiles;         // LIBID -> file

    std::optional<FileVersion> version(const std::string& path) const override { return find(versions, path); }
    std::optional<TypeLibrary> typeLibrary(const std::string& path) const override { return find(libraries, path); }
    std::optional<std::string> inprocServer(const std::string& clsid) const override {
        const auto server = find(servers, clsid);
        return server ? std::optional<std::string>(server->second) : std::nullopt;
    }
    std::optional<std::string> typeLibraryFile(const TypeLibrary& library) const override {
        return find(libraryFiles, library.libid);
    }
    std::vector<DeclaredClass> classesServedBy(const std::vector<std::string>& paths) const override {
        std::vector<DeclaredClass> classes;
        for (const auto& [clsid, server] : servers) {
            for (const std::string& path : paths) {
                if (server.second == path) classes.push_back({server.first, clsid});
            }
        }
        return classes;
    }

    template <class Map>
    static std::optional<typename Map::mapped_type> find(const Map& map, const std::string& key) {
        const auto found = map.find(key);
        return found == map.end() ? std::nullopt : std::optional<typename Map::mapped_type>(found->second);
    }
};

// A component as a clean pass leaves it: both files at 1.0.0.0, its class
// and its type library registered from System.
struct Pc {
    std::map<std::string, std::string> files{{kSystem32, "bytes"}, {kSystem, "bytes"}};
    FakePc pc;
    Pc() {
        pc.versions = {{kSystem32, fileVersion(0x10000, 0)}, {kSystem, fileVersion(0x10000, 0)}};
        pc.libraries[kSystem] = TypeLibrary{kLibid, 1, 0, 0, {{"Control", kClsid}}};
        pc.servers[kClsid] = {"Control", kSystem};
        pc.libraryFiles[kLibid] = kSystem;
    }
};

struct Row {
    const char* name;
    std::function<void(Pc&)> change;
    std::vector<std::string> report;
};

void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class CheckRow : public ::testing::TestWithParam<Row> {};

TEST_P(CheckRow, FindsItsCauseInOrderAndWritesTheWholeReport) {
    Pc pc;
    GetParam().change(pc);
    const fake::FakeProbe files(pc.files);
    EXPECT_EQ(reportLines({checkComponent(files, pc.pc, "C:\\WINDOWS", "x.ocx")}), GetParam().report);
}

const std::string kNotRegistered = "*** x.ocx: la clase Control " + kClsid + " no est\xC3\xA1 registrada";

INSTANTIATE_TEST_SUITE_P(
    Causes, CheckRow,
    ::testing::Values(
        Row{"Right", [](Pc&) {}, {"x.ocx Correcto 1.0.0.0"}},
        Row{"RightWithoutAVersion", [](Pc& p) { p.pc.versions.clear(); }, {"x.ocx Correcto"}},
        Row{"System32Missing", [](Pc& p) { p.files.erase(kSystem32); },
            {"x.ocx Incorrecto", "*** x.ocx: no existe el archivo " + kSystem32}},
        Row{"ClassNotRegistered", [](Pc& p) { p.pc.servers.clear(); }, {"x.ocx Incorrecto", kNotRegistered}},
        Row{"ClassNamesAMissingFile",
            [](Pc& p) {
                p.pc.libraries[kSystem32] = p.pc.libraries[kSystem];
                p.files.erase(kSystem);
            },
            {"x.ocx Incorrecto",
             "*** x.ocx: la clase Control " + kClsid + " nombra " + kSystem + ", que no existe",
             "*** x.ocx: su biblioteca de tipos " + kLibid + " 1.0 nombra " + kSystem + ", que no existe"}},
        Row{"ClassNamesAnOlderFile", [](Pc& p) { p.pc.versions[kSystem32] = fileVersion(0x20000, 0); },
            {"x.ocx Incorrecto", "*** x.ocx: la clase Control " + kClsid + " nombra " + kSystem +
                                     ", versi\xC3\xB3n 1.0.0.0, m\xC3\xA1s antigua que la de System32, 2.0.0.0"}},
        Row{"ClassFileMissesADll",
            [](Pc& p) {
                const test::Bytes dll = test::image(false, {"KERNEL32.dll", "falta.dll"});
                p.files[kSystem] = std::string(dll.begin(), dll.end());
            },
            {"x.ocx Incorrecto",
             "*** x.ocx: necesita falta.dll, que no est\xC3\xA1 en su carpeta ni en la carpeta del sistema"}},
        Row{"TypeLibraryNotRegistered", [](Pc& p) { p.pc.libraryFiles.clear(); },
            {"x.ocx Incorrecto", "*** x.ocx: su biblioteca de tipos " + kLibid + " 1.0 no est\xC3\xA1 registrada"}},
        Row{"ClassesBeforeTheTypeLibrary",
            [](Pc& p) {
                p.pc.libraryFiles.clear();
                p.pc.servers.clear();
            },
            {"x.ocx Incorrecto", kNotRegistered,
             "*** x.ocx: su biblioteca de tipos " + kLibid + " 1.0 no est\xC3\xA1 registrada"}},
        Row{"WithoutTypeLibraryTheRegistrysClasses",
            [](Pc& p) {
                p.pc.libraries.clear();
                p.files.erase(kSystem);
                p.pc.servers[kClsid] = {"Control", kSystem32};
                p.pc.servers["{OTRO}"] = {"Otra", "C:\\otra.ocx"};
            },
            {"x.ocx Correcto 1.0.0.0"}},
        Row{"WithoutTypeLibraryNorClass", [](Pc& p) { p.pc.libraries.clear(), p.pc.servers.clear(); },
            {"x.ocx Incorrecto", "*** x.ocx: ninguna clase nombra este archivo"}},
        Row{"NothingAnywhere",
            [](Pc& p) {
                p.files.clear();
                p.pc.servers.clear();
            },
            {"x.ocx Incorrecto", "*** x.ocx: no existe el archivo " + kSystem32}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

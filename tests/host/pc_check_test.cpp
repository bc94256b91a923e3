// The check of a PC: which cause each finding is and in which order, as the
// report's whole lines, from an in-memory PC. Each cause's own line is seen
// end to end (tests/wine/e2e/check_test.cpp); here, what those rows miss.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "check/pc_check.h"
#include "fake_platform.h"

namespace trevanil {
namespace {

const std::string kSystem32 = "C:\\WINDOWS\\System32\\x.ocx", kSystem = "C:\\WINDOWS\\System\\x.ocx";
const std::string kClsid = "{C1}", kLibid = "{L1}";

// A component as a clean pass leaves it: both files at 1.0.0.0, its class
// and its type library registered from System.
struct FakePc final : CheckProbe {
    std::map<std::string, std::string> files{{kSystem32, ""}, {kSystem, ""}};
    std::map<std::string, FileVersion> versions{{kSystem32, 1ull << 48}, {kSystem, 1ull << 48}};
    std::map<std::string, TypeLibrary> libraries{{kSystem, TypeLibrary{kLibid, 1, 0, 0, {{"Control", kClsid}}}}};
    std::map<std::string, DeclaredClass> servedBy{{kSystem, {"Control", kClsid}}};  // file -> its class
    std::map<std::string, std::string> libraryFiles{{kLibid, kSystem}};

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
    const fake::FakeProbe files(pc.files);
    EXPECT_EQ(reportLines({checkComponent(files, pc, "C:\\WINDOWS", "x.ocx")}), GetParam().report);
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
            {"x.ocx Incorrecto", "*** x.ocx: la clase Control {C1} nombra " + kSystem + ", que no existe",
             "*** x.ocx: su biblioteca de tipos {L1} 1.0 nombra " + kSystem + ", que no existe"}},
        Row{"WithoutTypeLibraryTheClassesNamingTheFile",
            [](FakePc& p) { p.libraries.clear(), p.versions[kSystem32] = 2ull << 48; },
            {"x.ocx Incorrecto", "*** x.ocx: la clase Control {C1} nombra " + kSystem +
                                     ", versi\xC3\xB3n 1.0.0.0, m\xC3\xA1s antigua que la de System32, 2.0.0.0"}},
        Row{"WithoutTypeLibraryNorClass", [](FakePc& p) { p.libraries.clear(), p.servedBy.clear(); },
            {"x.ocx Incorrecto", "*** x.ocx: ninguna clase nombra este archivo"}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

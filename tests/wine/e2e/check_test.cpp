// The check of a PC (/C) after a clean pass with components that declare
// classes and a type library: each thing broken afterwards gives its cause
// line and exit code 1, and the check changes nothing on the PC.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/strings.h"
#include "program_run.h"
#include "test_support.h"

namespace trevanil::test {
namespace {

using win32::toUtf8;
using win32::toWide;

// The GUIDs fixture_classes<n>.dll declares (n = 1..5, the list's order).
std::string clsid(int n) { return "{7A3C1E21-5B4D-4F6A-9C2E-0D1F2A3B4C0" + std::to_string(n) + "}"; }
std::string libid(int n) { return "{7A3C1E20-5B4D-4F6A-9C2E-0D1F2A3B4C0" + std::to_string(n) + "}"; }
const wchar_t* const kLibraryFile = sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32";

std::string registryText(const std::wstring& key) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    const LSTATUS found = ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    return found == ERROR_SUCCESS ? toUtf8(value) : "(ninguno)";
}

// What the check may read: the files of both Windows folders and the
// program's, the pass's log, and the registrations of the five components.
std::string pcState(const Stage& stage) {
    std::string state = readFile(stage.log());
    for (const std::string& folder : {stage.windows() + "\\System", stage.system32(), stage.app()}) {
        for (const char* name : kComponents) {
            const std::string path = folder + "\\" + name;
            state += path + "\n" + (fileExists(path) ? readFile(path) : "-") + "\n";
        }
    }
    for (int n = 1; n <= 5; ++n) {
        state += registryText(toWide("CLSID\\" + clsid(n) + "\\InprocServer32")) + "\n";
        state += registryText(toWide("TypeLib\\" + libid(n)) + kLibraryFile) + "\n";
    }
    return state;
}

// A file or a registry key taken away; the row's report shows whether it went.
void remove(const std::string& path) { ::DeleteFileW(toWide(path).c_str()); }
void removeKey(const std::string& key) { ::RegDeleteTreeW(HKEY_CLASSES_ROOT, toWide(key).c_str()); }
void setText(const std::wstring& key, const std::wstring& text) {
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// mscomctl.ocx in System as the check names a file the registry names: with
// its folders' own case where it exists (Wine's is "system").
std::string system(const Stage& s) {
    const std::wstring path = toWide(s.windows() + "\\System\\mscomctl.ocx");
    wchar_t found[MAX_PATH];
    const DWORD n = ::GetLongPathNameW(path.c_str(), found, MAX_PATH);
    return toUtf8(n > 0 && n < MAX_PATH ? std::wstring(found, n) : path);
}
std::string system32(const Stage& s) { return s.system32() + "\\mscomctl.ocx"; }

struct CheckRun {
    const char* row;
    std::function<void(const Stage&)> breakIt;  // after the pass, on mscomctl.ocx (the fourth)
    // mscomctl.ocx's cause lines, none when all is right; $C, $L, $S and $3
    // stand for its class, its library, its file in System and in System32
    // (as the program reaches it: SysWOW64 for the 32-bit build on 64-bit
    // Windows), $W for the Windows folder.
    std::vector<std::wstring> causes;
};

void PrintTo(const CheckRun& r, std::ostream* out) { *out << r.row; }

std::string causeLine(std::wstring cause, const Stage& s) {
    const std::pair<const wchar_t*, std::string> marks[] = {
        {L"$C", clsid(4)}, {L"$L", libid(4)}, {L"$S", system(s)}, {L"$3", (s.real().redirected() ? s.real().landing() : s.system32()) + "\\mscomctl.ocx"},
        {L"$W", s.windows()}};
    for (const auto& [mark, text] : marks) {
        for (size_t at; (at = cause.find(mark)) != std::wstring::npos;) cause.replace(at, 2, toWide(text));
    }
    return ansiBytes(L"*** mscomctl.ocx: " + cause + L"\r");
}

class CheckRow : public ProgramSuite, public ::testing::WithParamInterface<CheckRun> {};

// The quiet check reports through its exit code and the log given; with
// nothing wrong, the check is run as a technician would, and its report is
// beside the program and shown in the viewer.
TEST_P(CheckRow, ReportsEachComponentAndTheCauseAndChangesNothing) {
    const CheckRun& r = GetParam();
    Stage stage("fixture_classes#.dll");
    {
        ProgramRun pass(stage, {}, "/S");
        ASSERT_TRUE(pass.waitForExit());
        ASSERT_EQ(pass.exitCode(), exitcode::allRegistered);
    }
    r.breakIt(stage);
    const bool right = r.causes.empty();
    const std::string before = pcState(stage);
    const std::string report = right ? stage.app() + "\\ComprobacionOCX.log" : stage.app() + "\\..\\c.log";
    ProgramRun check(stage, {}, right ? "/C" : "/C /S \"/LOG=" + report + "\"");
    ASSERT_TRUE(check.waitForExit());
    EXPECT_EQ(check.exitCode(), right ? 0u : 1u);

    std::vector<std::string> expected;
    for (const char* name : kComponents) {
        const bool broken = !right && std::string(name) == "mscomctl.ocx";
        expected.push_back(std::string(name) + (broken ? " Incorrecto\r" : " Correcto 1.0.0.0\r"));
    }
    for (const std::wstring& cause : r.causes) expected.push_back(causeLine(cause, stage));
    EXPECT_EQ(lines(readFile(report)), expected);
    EXPECT_EQ(pcState(stage), before);
    EXPECT_EQ(viewerCalls(stage, right ? 1 : 0), right ? std::vector<std::string>{"notepad " + report}
                                                       : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckRow,
    ::testing::Values(
        CheckRun{"AllRight", [](const Stage&) {}, {}},
        CheckRun{"ClassNotRegistered", [](const Stage&) { removeKey("CLSID\\" + clsid(4)); },
                 {L"la clase Control $C no est\u00E1 registrada"}},
        CheckRun{"ClassNamesADeletedFile", [](const Stage& s) { remove(system(s)); },
                 {L"la clase Control $C apunta a $S, que no existe",
                  L"su biblioteca de tipos $L 1.0 apunta a $S, que no existe"}},
        CheckRun{"ClassNamesAnOlderFile",
                 [](const Stage& s) { copyInto(fixture("fixture_v2_0_0_0.dll"), system32(s)); },
                 {L"la clase Control $C apunta a $S, versi\u00F3n 1.0.0.0, m\u00E1s antigua que la de System32, "
                  L"2.0.0.0"}},
        CheckRun{"ClassFileMissesADll",
                 [](const Stage& s) { copyInto(fixture("fixture_withdep.dll"), system(s)); },
                 {L"necesita fixture_dep.dll, que no est\u00E1 en su carpeta ni en la carpeta del sistema"}},
        CheckRun{"TypeLibraryNotRegistered", [](const Stage&) { removeKey("TypeLib\\" + libid(4)); },
                 {L"su biblioteca de tipos $L 1.0 no est\u00E1 registrada"}},
        // Another product's uninstaller took the count the pass wrote (in
        // the program's view, this test's own).
        CheckRun{"CountTakenByAnotherUninstaller",
                 [](const Stage& s) {
                     ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                                          toWide(s.windows() + "\\System32\\mscomctl.ocx").c_str());
                 },
                 {L"este programa lo cont\u00F3 como archivo compartido, pero su cuenta (SharedDLLs: "
                  L"$W\\System32\\mscomctl.ocx) falta o es 0: otro desinstalador la quit\u00F3 y puede borrarlo; "
                  L"una nueva instalaci\u00F3n lo vuelve a contar"}},
        CheckRun{"System32FileMissing", [](const Stage& s) { remove(system32(s)); }, {L"no existe el archivo $3"}},
        // The file a class names would not load: the cause the pass's diagnosis gives.
        CheckRun{"ClassNamesAnEmptiedFile", [](const Stage& s) { writeFile(system(s), ""); },
                 {L"no se puede cargar: no es una imagen de Windows: no empieza por una cabecera MZ"}},
        CheckRun{"ClassNamesAFileOfTheOtherBitness",
                 [](const Stage& s) { copyInto(fixture("fixture_otherbits.dll"), system(s)); },
                 {sizeof(void*) == 8 ? L"es un archivo de 32 bits y este programa, de 64 bits, no puede cargarlo"
                                     : L"es un archivo de 64 bits y este programa, de 32 bits, no puede cargarlo"}},
        // Paths never read: one that depends on the current folder (the
        // program's, which holds that name), one on a server.
        CheckRun{"RegistryNamesABareNameAndAServer",
                 [](const Stage&) {
                     setText(toWide("CLSID\\" + clsid(4) + "\\InprocServer32"), L"mscomctl.ocx");
                     setText(toWide("TypeLib\\" + libid(4)) + kLibraryFile, L"\\\\trevanil-nadie\\c\\mscomctl.ocx");
                 },
                 {L"la clase Control $C apunta a mscomctl.ocx, una ruta incompleta, que depender\u00EDa de la carpeta "
                  L"actual",
                  L"su biblioteca de tipos $L 1.0 apunta a \\\\trevanil-nadie\\c\\mscomctl.ocx, una ruta de red, que no "
                  L"se lee"}}),
    [](const auto& row) { return std::string(row.param.row); });

class Check : public ProgramSuite {};

// Wine's own controls, each with a type library and a registration of its
// own, staged under the five names: right after a pass (the report beside
// the program, even with /S when no /LOG= is given).
TEST_F(Check, RealComponentsAreRightAfterAPass) {
    wchar_t folder[MAX_PATH];
    const std::string system = toUtf8(std::wstring(folder, ::GetSystemDirectoryW(folder, MAX_PATH)));
    Stage stage("fixture_ok.dll");
    const char* const real[] = {"dhtmled.ocx", "hhctrl.ocx", "msscript.ocx", "wshom.ocx", "scrrun.dll"};
    for (size_t i = 0; i < kComponents.size(); ++i) {
        copyInto(system + "\\" + real[i], stage.app() + "\\" + kComponents[i]);
        copyInto(system + "\\" + real[i], stage.windows() + "\\System\\" + kComponents[i]);
    }
    ProgramRun pass(stage, {}, "/S");
    ASSERT_TRUE(pass.waitForExit());
    ASSERT_EQ(pass.exitCode(), exitcode::allRegistered);
    ProgramRun check(stage, {}, "/C /S");
    ASSERT_TRUE(check.waitForExit());
    const std::string report = readFile(stage.app() + "\\ComprobacionOCX.log");
    EXPECT_EQ(check.exitCode(), 0u) << report;
    EXPECT_EQ(lines(report).size(), kComponents.size()) << report;
}

}  // namespace
}  // namespace trevanil::test

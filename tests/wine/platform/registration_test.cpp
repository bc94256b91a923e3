// Self-registration through the Win32 module loader, on the fixture
// components: outcomes, the unregistration branch, load and release counts,
// and what the narrow (ANSI) path does with names outside the code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/module_loader_win32.h"
#include "platform/win32/strings.h"
#include "register/self_registration.h"
#include "test_support.h"

namespace trevanil {
namespace {

using test::fixture;
using win32::toWide;

constexpr wchar_t kFixturesKey[] = L"Software\\Trevanil\\Fixtures";

// The value a fixture component writes when it registers itself.
bool registered(const std::string& valueName) {
    wchar_t data[64];
    DWORD size = sizeof data;
    const LONG rc = ::RegGetValueW(HKEY_CURRENT_USER, kFixturesKey, toWide(valueName).c_str(), RRF_RT_REG_SZ,
                                   nullptr, data, &size);
    return rc == ERROR_SUCCESS && std::wstring(data) == L"registrado";
}

void forget(const std::string& valueName) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kFixturesKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, toWide(valueName).c_str());
        ::RegCloseKey(key);
    }
}

bool loaded(const std::string& path) { return ::GetModuleHandleW(toWide(path).c_str()) != nullptr; }

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"fixture_ok.dll", "componente.ocx", "componente_\xC3\xB1.ocx"}) forget(name);
        ::SetEnvironmentVariableW(L"TREVANIL_FIXTURE_LOG", toWide(recordLog()).c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"TREVANIL_FIXTURE_LOG", nullptr);
        for (const char* name : {"fixture_ok.dll", "componente.ocx", "componente_\xC3\xB1.ocx"}) forget(name);
    }

    bool registrar(const std::string& path, bool flag = true, std::int32_t hWnd = 0x1234) {
        return selfRegistration::registrarServidor(loader, hWnd, path, flag);
    }
    std::string recordLog() const { return folder / "fixture-events.log"; }
    std::string recorded() const { return test::fileExists(recordLog()) ? test::readFile(recordLog()) : ""; }

    test::TempFolder folder;
    win32::Win32ModuleLoader loader;
};

TEST_F(RegistrationTest, ZeroStatusRegistersAndTheUnregisterFlagUndoesIt) {
    const std::string ok = fixture("fixture_ok.dll");

    EXPECT_TRUE(registrar(ok));
    EXPECT_TRUE(registered("fixture_ok.dll"));
    EXPECT_FALSE(loaded(ok)) << "released after the call";

    EXPECT_TRUE(registrar(ok, false));
    EXPECT_FALSE(registered("fixture_ok.dll"));
    EXPECT_FALSE(loaded(ok));
}

TEST_F(RegistrationTest, EveryOtherStatusAndEveryUnloadableFileIsFalse) {
    EXPECT_FALSE(registrar(fixture("fixture_sfalse.dll")));
    EXPECT_FALSE(registrar(fixture("fixture_fail.dll")));
    EXPECT_FALSE(registrar(fixture("fixture_fail.dll"), false));
    EXPECT_FALSE(registrar(folder / "no_existe.ocx"));
    EXPECT_FALSE(registrar(fixture("not_a_module.ocx")));
    for (const char* name : {"fixture_sfalse.dll", "fixture_fail.dll"}) EXPECT_FALSE(loaded(fixture(name))) << name;
}

TEST_F(RegistrationTest, AModuleWithoutTheEntryPointIsFalseAndReleased) {
    const std::string noExport = fixture("fixture_noexport.dll");
    EXPECT_FALSE(registrar(noExport));
    EXPECT_FALSE(registrar(noExport, false));
    EXPECT_FALSE(loaded(noExport));
}

// Whatever the window handle, the same file gives the same outcome.
TEST_F(RegistrationTest, EachCallLoadsCallsAndReleasesOnce) {
    const std::string recording = fixture("fixture_recording.dll");
    EXPECT_TRUE(registrar(recording, true, 0));
    EXPECT_TRUE(registrar(recording, true, -1));
    EXPECT_TRUE(registrar(recording, false));
    for (std::int32_t hWnd : {0, -1}) EXPECT_FALSE(registrar(fixture("fixture_sfalse.dll"), true, hWnd)) << hWnd;
    const std::string name = "fixture_recording.dll\n";
    EXPECT_EQ(recorded(), "attach " + name + "register " + name + "detach " + name +  //
                              "attach " + name + "register " + name + "detach " + name +  //
                              "attach " + name + "unregister " + name + "detach " + name);
}

TEST_F(RegistrationTest, AReferenceHeldElsewhereSurvivesTheCall) {
    const std::string recording = fixture("fixture_recording.dll");
    const HMODULE own = ::LoadLibraryW(toWide(recording).c_str());
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(registrar(recording));
    EXPECT_TRUE(loaded(recording)) << "the loader released more than it loaded";
    ::FreeLibrary(own);
    EXPECT_FALSE(loaded(recording));
    const std::string name = "fixture_recording.dll\n";
    EXPECT_EQ(recorded(), "attach " + name + "register " + name + "detach " + name);
}

// A path that depends on the current folder or its drive (the download
// folder the program was started from) never loads, though the file is
// there; its error is its own, not the last load's.
TEST_F(RegistrationTest, APathRelativeToTheCurrentFolderNeverLoads) {
    test::copyInto(fixture("fixture_ok.dll"), folder / "componente.ocx");
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_TRUE(::SetCurrentDirectoryW(toWide(folder.path()).c_str()));
    for (const std::string& path : {std::string(".\\componente.ocx"), folder.path().substr(0, 2) + "componente.ocx",
                                    folder.path().substr(2) + "\\componente.ocx"}) {
        EXPECT_FALSE(registrar(folder / "no_existe.ocx"));
        EXPECT_FALSE(registrar(path)) << path;
        EXPECT_EQ(loader.lastError(), static_cast<std::uint32_t>(ERROR_BAD_PATHNAME)) << path;
    }
    ::SetCurrentDirectoryW(current);
    EXPECT_FALSE(registered("componente.ocx"));
}

TEST_F(RegistrationTest, ThePathReachesTheLoaderInItsAnsiForm) {
    const std::wstring enie = L"carpeta_\u00F1";
    if (!test::ansiRepresentable(enie) || ::GetACP() == CP_UTF8) {
        GTEST_SKIP() << "the ANSI code page " << ::GetACP() << " does not suit this test";
    }
    // A folder named in the code page loads.
    test::makeFolder(folder / "carpeta_\xC3\xB1");
    const std::string inAnsi = folder / "carpeta_\xC3\xB1\\componente_\xC3\xB1.ocx";
    test::copyInto(fixture("fixture_ok.dll"), inAnsi);
    EXPECT_TRUE(registrar(inAnsi));
    EXPECT_TRUE(registered("componente_\xC3\xB1.ocx"));

    // A folder named outside it does not: the narrow path has '?' in place
    // of the letters, although the file itself is a good module.
    const std::string outside = "carpeta_\xCE\xA9\xD0\xB6";
    ASSERT_FALSE(test::ansiRepresentable(toWide(outside)));
    test::makeFolder(folder / outside);
    const std::string path = folder / (outside + "\\componente.ocx");
    test::copyInto(fixture("fixture_ok.dll"), path);
    EXPECT_NE(win32::toAnsi(path).find('?'), std::string::npos);
    EXPECT_FALSE(registrar(path));
    EXPECT_FALSE(registered("componente.ocx"));

    const HMODULE wide = ::LoadLibraryW(toWide(path).c_str());
    EXPECT_NE(wide, nullptr) << "the wide path loads the same file";
    if (wide != nullptr) ::FreeLibrary(wide);
}

TEST_F(RegistrationTest, TheThreadErrorModeComesBackAfterALoad) {
    DWORD before = 0;
    ASSERT_TRUE(::SetThreadErrorMode(0, &before));
    EXPECT_FALSE(registrar(fixture("not_a_module.ocx")));
    EXPECT_TRUE(registrar(fixture("fixture_ok.dll")));
    EXPECT_EQ(::GetThreadErrorMode(), 0u);
    ::SetThreadErrorMode(before, nullptr);
}

}  // namespace
}  // namespace trevanil

#include "register/self_registration.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "platform/error.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using Journal = std::vector<std::string>;

const std::string kPath = "C:\\WINDOWS\\System\\comp.ocx";

class RegistrarServidor : public ::testing::Test {
protected:
    bool registrar(std::int32_t status, bool flag = true, std::int32_t hWnd = 0x1234) {
        p.modules[kPath] = {{"DllRegisterServer", status}, {"DllUnregisterServer", status}};
        return selfRegistration::registrarServidor(p, hWnd, kPath, flag);
    }
    FakePlatform p;
};

TEST_F(RegistrarServidor, StatusZeroIsTrueAndTheModuleIsReleasedOnce) {
    EXPECT_TRUE(registrar(0));
    EXPECT_EQ(p.journal, (Journal{"load " + kPath, "procAddress DllRegisterServer", "call DllRegisterServer", "free"}));
}

TEST_F(RegistrarServidor, AnyOtherStatusIsFalseAndStillReleases) {
    for (std::int32_t status : {1, -2147467259, -1}) {
        p.journal.clear();
        EXPECT_FALSE(registrar(status)) << status;
        EXPECT_EQ(p.journal,
                  (Journal{"load " + kPath, "procAddress DllRegisterServer", "call DllRegisterServer", "free"}))
            << status;
    }
}

TEST_F(RegistrarServidor, AFileThatDoesNotLoadIsFalseWithNoLookupAndNoRelease) {
    EXPECT_FALSE(selfRegistration::registrarServidor(p, 0x1234, "C:\\no\\existe.ocx", true));
    EXPECT_EQ(p.journal, (Journal{"load C:\\no\\existe.ocx"}));
}

TEST_F(RegistrarServidor, AMissingExportIsFalseWithNoCallAndIsReleased) {
    p.modules[kPath] = {{"DllGetClassObject", 0}};
    EXPECT_FALSE(selfRegistration::registrarServidor(p, 0x1234, kPath, true));
    EXPECT_EQ(p.journal, (Journal{"load " + kPath, "procAddress DllRegisterServer", "free"}));
}

TEST_F(RegistrarServidor, FlagFalseCallsTheUnregistrationEntryPoint) {
    p.modules[kPath] = {{"DllRegisterServer", 1}, {"DllUnregisterServer", 0}};
    EXPECT_TRUE(selfRegistration::registrarServidor(p, 0x1234, kPath, false));
    EXPECT_EQ(p.journal,
              (Journal{"load " + kPath, "procAddress DllUnregisterServer", "call DllUnregisterServer", "free"}));
}

// The routine hands the window handle on, unchanged, to the call in both
// branches; that the call's outcome does not depend on it is the real
// loader's part (tests/wine/platform/registration_test.cpp).
TEST_F(RegistrarServidor, TheWindowHandleOnlyTravelsAlong) {
    for (std::int32_t hWnd : {0, 0x1234, -1}) {
        registrar(0, true, hWnd);
        registrar(0, false, hWnd);
    }
    EXPECT_EQ(p.callHandles, (std::vector<std::int32_t>{0, 0, 0x1234, 0x1234, -1, -1}));
}

TEST_F(RegistrarServidor, TwoCallsOnOneFileLoadAndReleaseItTwice) {
    registrar(0);
    registrar(0);
    EXPECT_EQ(p.count("load"), 2);
    EXPECT_EQ(p.count("call"), 2);
    EXPECT_EQ(p.count("free"), 2);
}

TEST_F(RegistrarServidor, PlatformErrorsPassThroughAndTheModuleIsStillReleased) {
    p.modules[kPath] = {{"DllRegisterServer", 0}};
    p.fail("load", 1, 48, "Error al cargar la DLL");
    try {
        selfRegistration::registrarServidor(p, 0x1234, kPath, true);
        ADD_FAILURE() << "no error passed through";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), 48);
        EXPECT_EQ(e.description(), "Error al cargar la DLL");
    }
    EXPECT_EQ(p.journal, (Journal{"load " + kPath + " [error 48]"}));

    p.journal.clear();
    p.fail("call", 1, -2147418113, "Error catastr\xC3\xB3" "fico");
    EXPECT_THROW(selfRegistration::registrarServidor(p, 0x1234, kPath, true), PlatformError);
    EXPECT_EQ(p.journal, (Journal{"load " + kPath, "procAddress DllRegisterServer",
                                  "call DllRegisterServer [error -2147418113]", "free"}));
}

}  // namespace
}  // namespace trevanil

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/text.h"

namespace trevanil {
namespace {

TEST(ErrorFromWin32, KnownCodesTakeTheRuntimeNumberAndItsSpanishText) {
    struct Case {
        std::uint32_t win32;
        std::int32_t number;
        const char* description;
    };
    const Case cases[] = {
        {2, 53, "No se ha encontrado el archivo"},
        {3, 76, "No se ha encontrado la ruta de acceso"},
        {5, 70, "Permiso denegado"},
        {32, 70, "Permiso denegado"},
        {112, 61, "Disco lleno"},
        {8, 7, "Memoria insuficiente"},
        {206, 52, "Nombre de archivo o ruta de acceso demasiado largos"},  // not "Nombre o número ... incorrecto"
    };
    for (const auto& c : cases) {
        const PlatformError e = errorFromWin32(c.win32);
        EXPECT_EQ(e.number(), c.number) << c.win32;
        EXPECT_EQ(e.description(), c.description) << c.win32;
        EXPECT_STREQ(e.what(), c.description) << c.win32;
        EXPECT_EQ(e.systemCode(), c.win32);
    }
}

TEST(ErrorFromWin32, UnknownCodesTakeTheFallback) {
    const PlatformError porDefecto = errorFromWin32(999999);
    EXPECT_EQ(porDefecto.number(), errnum::pathFileAccessError);
    EXPECT_EQ(porDefecto.number(), 75);
    EXPECT_EQ(porDefecto.description(), "Error de acceso a la ruta o el archivo");

    const PlatformError dado = errorFromWin32(0, errnum::cannotCreateObject);
    EXPECT_EQ(dado.number(), 429);
    EXPECT_EQ(dado.description(), "El componente ActiveX no puede crear el objeto");
}

TEST(ErrorFromWin32, NumbersOutsideTheTableGetTheGenericText) {
    EXPECT_EQ(errorDescription(12345), "Error definido por la aplicaci\xC3\xB3n o el objeto");
    EXPECT_EQ(errorDescription(-2147024770), errorDescription(12345));
    EXPECT_EQ(PlatformError(11).description(), "Divisi\xC3\xB3n por cero");
    EXPECT_EQ(PlatformError(-5, "propia").description(), "propia");
    EXPECT_EQ(PlatformError(-5, "propia").number(), -5);
}

TEST(Trim, RemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(trim("  mscomctl.ocx  "), "mscomctl.ocx");
    EXPECT_EQ(trim("mi  archivo.ocx"), "mi  archivo.ocx");
    EXPECT_EQ(trim(" a b "), "a b");
    EXPECT_EQ(trim("\tx.ocx\r\n"), "\tx.ocx\r\n");  // only the blank, as the classic Trim
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(trim("x"), "x");
}

}  // namespace
}  // namespace trevanil

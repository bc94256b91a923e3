// Platform failures: a 32-bit number and a Spanish description, numbered
// the way the classic Windows runtime numbered its trappable errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace trevanil {

namespace errnum {
constexpr std::int32_t argumentoNoValido = 5;
constexpr std::int32_t desbordamiento = 6;
constexpr std::int32_t memoriaInsuficiente = 7;
constexpr std::int32_t divisionPorCero = 11;
constexpr std::int32_t nombreArchivoIncorrecto = 52;
constexpr std::int32_t archivoNoEncontrado = 53;
constexpr std::int32_t errorDeEntradaSalida = 57;
constexpr std::int32_t archivoYaExiste = 58;
constexpr std::int32_t discoLleno = 61;
constexpr std::int32_t permisoDenegado = 70;
constexpr std::int32_t discoNoPreparado = 71;
constexpr std::int32_t accesoRutaArchivo = 75;
constexpr std::int32_t rutaNoEncontrada = 76;
constexpr std::int32_t variableDeObjetoNoEstablecida = 91;
constexpr std::int32_t objetoNoCreado = 429;
constexpr std::int32_t objetoNoAdmite = 438;
}  // namespace errnum

// Spanish text for a runtime error number; a generic text for unknown ones.
std::string descripcionError(std::int32_t number);

class PlatformError : public std::runtime_error {
public:
    // `systemCode`: the system's own error code behind it, 0 when none.
    PlatformError(std::int32_t number, std::string description, std::uint32_t systemCode = 0);
    explicit PlatformError(std::int32_t number);  // description from the table

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    std::uint32_t systemCode() const noexcept { return systemCode_; }

private:
    std::int32_t number_;
    std::string description_;
    std::uint32_t systemCode_;
};

// The report of an error as the user reads it: its number, a blank and its
// description ("53 No se ha encontrado el archivo").
std::string informe(const PlatformError& error);

// Maps a Win32 error code (GetLastError) onto a runtime error that keeps the
// code; the table is plain data so it is tested on every host.
PlatformError errorFromWin32(std::uint32_t win32Code, std::int32_t fallback = errnum::accesoRutaArchivo);

}  // namespace trevanil

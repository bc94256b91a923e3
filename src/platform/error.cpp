#include "platform/error.h"

#include <utility>

namespace trevanil {

namespace {

struct Entry {
    std::int32_t number;
    const char* text;
};

// UTF-8 Spanish texts of the classic runtime messages.
constexpr Entry kDescriptions[] = {
    {errnum::argumentoNoValido, "Llamada a procedimiento o argumento no v\xC3\xA1lidos"},
    {errnum::desbordamiento, "Desbordamiento"},
    {errnum::memoriaInsuficiente, "Memoria insuficiente"},
    {errnum::divisionPorCero, "Divisi\xC3\xB3n por cero"},
    {errnum::nombreArchivoIncorrecto, "Nombre o n\xC3\xBAmero de archivo incorrecto"},
    {errnum::archivoNoEncontrado, "No se ha encontrado el archivo"},
    {errnum::errorDeEntradaSalida, "Error de E/S en el dispositivo"},
    {errnum::archivoYaExiste, "El archivo ya existe"},
    {errnum::discoLleno, "Disco lleno"},
    {errnum::permisoDenegado, "Permiso denegado"},
    {errnum::discoNoPreparado, "El disco no est\xC3\xA1 preparado"},
    {errnum::accesoRutaArchivo, "Error de acceso a la ruta o el archivo"},
    {errnum::rutaNoEncontrada, "No se ha encontrado la ruta de acceso"},
    {errnum::variableDeObjetoNoEstablecida, "Variable de objeto o bloque With no establecido"},
    {errnum::objetoNoCreado, "El componente ActiveX no puede crear el objeto"},
    {errnum::objetoNoAdmite, "El objeto no admite esta propiedad o m\xC3\xA9todo"},
};

struct Win32Mapping {
    std::uint32_t win32;
    std::int32_t number;
    const char* text = nullptr;  // where the number's own text would not say what happened
};

constexpr Win32Mapping kWin32[] = {
    {2, errnum::archivoNoEncontrado},       // ERROR_FILE_NOT_FOUND
    {3, errnum::rutaNoEncontrada},          // ERROR_PATH_NOT_FOUND
    {5, errnum::permisoDenegado},           // ERROR_ACCESS_DENIED
    {8, errnum::memoriaInsuficiente},       // ERROR_NOT_ENOUGH_MEMORY
    {14, errnum::memoriaInsuficiente},      // ERROR_OUTOFMEMORY
    {15, errnum::rutaNoEncontrada},         // ERROR_INVALID_DRIVE
    {19, errnum::permisoDenegado},          // ERROR_WRITE_PROTECT
    {21, errnum::discoNoPreparado},         // ERROR_NOT_READY
    {32, errnum::permisoDenegado},          // ERROR_SHARING_VIOLATION
    {33, errnum::permisoDenegado},          // ERROR_LOCK_VIOLATION
    {39, errnum::discoLleno},               // ERROR_HANDLE_DISK_FULL
    {53, errnum::rutaNoEncontrada},         // ERROR_BAD_NETPATH
    {80, errnum::archivoYaExiste},          // ERROR_FILE_EXISTS
    {87, errnum::argumentoNoValido},        // ERROR_INVALID_PARAMETER
    {112, errnum::discoLleno},              // ERROR_DISK_FULL
    {123, errnum::nombreArchivoIncorrecto}, // ERROR_INVALID_NAME
    {161, errnum::rutaNoEncontrada},        // ERROR_BAD_PATHNAME
    {183, errnum::archivoYaExiste},         // ERROR_ALREADY_EXISTS
    {206, errnum::nombreArchivoIncorrecto,  // ERROR_FILENAME_EXCED_RANGE
     "Nombre de archivo o ruta de acceso demasiado largos"},
    {267, errnum::rutaNoEncontrada},        // ERROR_DIRECTORY
    {1392, errnum::errorDeEntradaSalida},   // ERROR_FILE_CORRUPT
};

}  // namespace

std::string descripcionError(std::int32_t number) {
    for (const auto& e : kDescriptions) {
        if (e.number == number) return e.text;
    }
    return "Error definido por la aplicaci\xC3\xB3n o el objeto";
}

PlatformError::PlatformError(std::int32_t number, std::string description, std::uint32_t systemCode)
    : std::runtime_error(description), number_(number), description_(std::move(description)), systemCode_(systemCode) {}

PlatformError::PlatformError(std::int32_t number) : PlatformError(number, descripcionError(number)) {}

PlatformError errorFromWin32(std::uint32_t win32Code, std::int32_t fallback) {
    for (const auto& m : kWin32) {
        if (m.win32 == win32Code) {
            return PlatformError(m.number, m.text != nullptr ? m.text : descripcionError(m.number), win32Code);
        }
    }
    return PlatformError(fallback, descripcionError(fallback), win32Code);
}

std::string informe(const PlatformError& error) {
    return std::to_string(error.number()) + " " + error.description();
}

}  // namespace trevanil

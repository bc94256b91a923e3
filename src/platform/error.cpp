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
    {errnum::invalidArgument, "Llamada a procedimiento o argumento no v\xC3\xA1lidos"},
    {errnum::overflow, "Desbordamiento"},
    {errnum::outOfMemory, "Memoria insuficiente"},
    {errnum::divisionByZero, "Divisi\xC3\xB3n por cero"},
    {errnum::badFileName, "Nombre o n\xC3\xBAmero de archivo incorrecto"},
    {errnum::fileNotFound, "No se ha encontrado el archivo"},
    {errnum::ioError, "Error de E/S en el dispositivo"},
    {errnum::fileAlreadyExists, "El archivo ya existe"},
    {errnum::diskFull, "Disco lleno"},
    {errnum::permissionDenied, "Permiso denegado"},
    {errnum::diskNotReady, "El disco no est\xC3\xA1 preparado"},
    {errnum::pathFileAccessError, "Error de acceso a la ruta o el archivo"},
    {errnum::pathNotFound, "No se ha encontrado la ruta de acceso"},
    {errnum::objectVariableNotSet, "Variable de objeto o bloque With no establecido"},
    {errnum::cannotCreateObject, "El componente ActiveX no puede crear el objeto"},
    {errnum::objectDoesNotSupport, "El objeto no admite esta propiedad o m\xC3\xA9todo"},
};

struct Win32Mapping {
    std::uint32_t win32;
    std::int32_t number;
    const char* text = nullptr;  // where the number's own text would not say what happened
};

constexpr Win32Mapping kWin32[] = {
    {2, errnum::fileNotFound},       // ERROR_FILE_NOT_FOUND
    {3, errnum::pathNotFound},          // ERROR_PATH_NOT_FOUND
    {5, errnum::permissionDenied},           // ERROR_ACCESS_DENIED
    {8, errnum::outOfMemory},       // ERROR_NOT_ENOUGH_MEMORY
    {14, errnum::outOfMemory},      // ERROR_OUTOFMEMORY
    {15, errnum::pathNotFound},         // ERROR_INVALID_DRIVE
    {19, errnum::permissionDenied},          // ERROR_WRITE_PROTECT
    {21, errnum::diskNotReady},         // ERROR_NOT_READY
    {32, errnum::permissionDenied},          // ERROR_SHARING_VIOLATION
    {33, errnum::permissionDenied},          // ERROR_LOCK_VIOLATION
    {39, errnum::diskFull},               // ERROR_HANDLE_DISK_FULL
    {53, errnum::pathNotFound},         // ERROR_BAD_NETPATH
    {80, errnum::fileAlreadyExists},          // ERROR_FILE_EXISTS
    {87, errnum::invalidArgument},        // ERROR_INVALID_PARAMETER
    {112, errnum::diskFull},              // ERROR_DISK_FULL
    {123, errnum::badFileName}, // ERROR_INVALID_NAME
    {161, errnum::pathNotFound},        // ERROR_BAD_PATHNAME
    {183, errnum::fileAlreadyExists},         // ERROR_ALREADY_EXISTS
    {206, errnum::badFileName,  // ERROR_FILENAME_EXCED_RANGE
     "Nombre de archivo o ruta de acceso demasiado largos"},
    {267, errnum::pathNotFound},        // ERROR_DIRECTORY
    {1392, errnum::ioError},   // ERROR_FILE_CORRUPT
};

}  // namespace

std::string errorDescription(std::int32_t number) {
    for (const auto& e : kDescriptions) {
        if (e.number == number) return e.text;
    }
    return "Error definido por la aplicaci\xC3\xB3n o el objeto";
}

PlatformError::PlatformError(std::int32_t number, std::string description, std::uint32_t systemCode)
    : std::runtime_error(description), number_(number), description_(std::move(description)), systemCode_(systemCode) {}

PlatformError::PlatformError(std::int32_t number) : PlatformError(number, errorDescription(number)) {}

PlatformError errorFromWin32(std::uint32_t win32Code, std::int32_t fallback) {
    for (const auto& m : kWin32) {
        if (m.win32 == win32Code) {
            return PlatformError(m.number, m.text != nullptr ? m.text : errorDescription(m.number), win32Code);
        }
    }
    return PlatformError(fallback, errorDescription(fallback), win32Code);
}

std::string errorReport(const PlatformError& error) {
    return std::to_string(error.number()) + " " + error.description();
}

}  // namespace trevanil

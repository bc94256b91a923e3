#include "detail/log_texts.h"

#include <cstdint>
#include <cstdio>

namespace trevanil::logtext {

namespace {

using namespace causes;

// "(error 5: Acceso denegado.)", or "(error 5)" where the system has no text.
std::string errorText(std::uint32_t code, const std::string& text) {
    return "(error " + std::to_string(code) + (text.empty() ? "" : ": " + text) + ")";
}

std::string hex(std::uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

// Why a path the registry names is not read.
std::string pathKindText(PathKind kind) {
    switch (kind) {
    case PathKind::local: break;
    case PathKind::relative: return "una ruta incompleta, que depender\xC3\xAD" "a de la carpeta actual";
    case PathKind::network: return "una ruta de red, que no se lee";
    case PathKind::device: return "una ruta de dispositivo, que no se lee";
    }
    return {};
}

constexpr const char* kNowhere = ", que no est\xC3\xA1 en su carpeta ni en la carpeta del sistema";

std::string text(const CopyFailed& c) {
    return "no se pudo copiar a " + c.destination + " " + errorText(c.code, c.systemText);
}
std::string text(const SourceMissing& c) { return "no se copi\xC3\xB3: no existe el archivo " + c.source; }
std::string text(const KeptNewer& c) {
    return "no se copi\xC3\xB3: la versi\xC3\xB3n instalada, " + versionText(c.installed) +
           ", es m\xC3\xA1s nueva que la de la carpeta del programa, " + versionText(c.program);
}
std::string text(const ReplacedAtRestart& c) { return "se sustituir\xC3\xA1 al reiniciar: " + c.path; }
std::string text(const CountNotANumber& c) {
    return "su cuenta de archivo compartido (SharedDLLs: " + c.value + ") no es un n\xC3\xBAmero: se dej\xC3\xB3 como estaba";
}
std::string text(const CountNotWritten& c) {
    return "no se pudo anotar su cuenta de archivo compartido " + errorText(c.code, c.systemText);
}
std::string text(const CountMissing& c) {
    return "su cuenta de archivo compartido (SharedDLLs: " + c.value + ") falta: se dej\xC3\xB3 como estaba";
}
std::string text(const DeletedAtRestart& c) { return "se borrar\xC3\xA1 al reiniciar: " + c.path; }
std::string text(const NotDeleted& c) { return "no se pudo borrar " + c.path + " " + errorText(c.code, c.systemText); }
std::string text(const NotThere& c) { return "no existe el archivo " + c.path; }
std::string text(const OtherBitness& c) {
    return "es un archivo de " + std::to_string(c.imageBits) + " bits y este programa, de " +
           std::to_string(c.programBits) + " bits, no puede cargarlo";
}
std::string text(const MissingDll& c) { return "necesita " + c.dll + kNowhere; }
std::string text(const MissingDllBelow& c) { return "necesita " + c.dependency + ", y esta necesita " + c.dll + kNowhere; }
std::string text(const StartupRefused&) { return "su c\xC3\xB3" "digo de inicio (DllMain) rechaz\xC3\xB3 la carga"; }
std::string text(const NoEntryPoint& c) { return "no tiene el punto de entrada " + c.entry; }
std::string text(const EntryFailed& c) {
    return c.entry + " devolvi\xC3\xB3 " + hex(c.status) + (c.systemText.empty() ? "" : " (" + c.systemText + ")");
}
std::string text(const EntryNotZero& c) {
    return c.entry + " devolvi\xC3\xB3 " + hex(c.status) + ", un c\xC3\xB3" "digo de \xC3\xA9xito distinto de 0";
}
std::string text(const LoadFailed& c) {
    const std::string problem = problemText(c.problem);
    if (!c.code) return "no se puede cargar: " + problem;
    return "no se pudo cargar" + (problem.empty() ? "" : ": " + problem) + " " + errorText(*c.code, c.systemText);
}
std::string text(const RegisteredFromSystem32& c) {
    return "se registr\xC3\xB3 " + c.path + ": la copia de System, " + versionText(c.systemVersion) +
           ", es m\xC3\xA1s antigua que la instalada, " + versionText(c.system32Version);
}
std::string text(const RegisteredOlderThanCopy& c) {
    return "se registr\xC3\xB3 la copia de System, " + versionText(c.systemVersion) +
           ", m\xC3\xA1s antigua que la copiada en System32, " + versionText(c.copiedVersion);
}
std::string text(const ClassNotRegistered& c) {
    return "la clase " + c.className + " " + c.clsid + " no est\xC3\xA1 registrada";
}
std::string text(const ClassFileMissing& c) {
    return "la clase " + c.className + " " + c.clsid + " apunta a " + c.path + ", que no existe";
}
std::string text(const ClassFileOlder& c) {
    return "la clase " + c.className + " " + c.clsid + " apunta a " + c.path + ", versi\xC3\xB3n " +
           versionText(c.version) + ", m\xC3\xA1s antigua que la de System32, " + versionText(c.system32Version);
}
std::string text(const ClassPathRefused& c) {
    return "la clase " + c.className + " " + c.clsid + " apunta a " + c.path + ", " + pathKindText(c.kind);
}
std::string text(const TypeLibraryNotRegistered& c) {
    return "su biblioteca de tipos " + c.libid + " " + c.version + " no est\xC3\xA1 registrada";
}
std::string text(const TypeLibraryFileMissing& c) {
    return "su biblioteca de tipos " + c.libid + " " + c.version + " apunta a " + c.path + ", que no existe";
}
std::string text(const TypeLibraryPathRefused& c) {
    return "su biblioteca de tipos " + c.libid + " " + c.version + " apunta a " + c.path + ", " + pathKindText(c.kind);
}
std::string text(const CountTaken& c) {
    return "este programa lo cont\xC3\xB3 como archivo compartido, pero su cuenta (SharedDLLs: " + c.value +
           ") falta o es 0: otro desinstalador la quit\xC3\xB3 y puede borrarlo; una nueva instalaci\xC3\xB3n lo vuelve a contar";
}
std::string text(const NoClass&) { return "ninguna clase apunta a este archivo"; }
std::string text(const Unknown&) { return "no se pudo averiguar la causa"; }
std::string text(const WindirRefused& c) {
    return c.windir.empty() ? "no est\xC3\xA1 definida"
                            : c.windir + " no es la carpeta de Windows del sistema (" + c.windowsFolder +
                                  "): se tom\xC3\xB3 como no definida";
}

}  // namespace

std::string detailLine(const Cause& cause) {
    std::string line = "*** " + cause.file + ": " + std::visit([](const auto& c) { return text(c); }, cause.detail);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return line;
}

std::string problemText(pe::Problem problem) {
    using pe::Problem;
    switch (problem) {
    case Problem::none: break;
    case Problem::noMz: return "no es una imagen de Windows: no empieza por una cabecera MZ";
    case Problem::noPeSignature: return "no es una imagen de Windows: falta la firma PE";
    case Problem::peHeaderCut: return "la cabecera PE est\xC3\xA1 cortada";
    case Problem::optionalHeaderCut: return "la cabecera opcional est\xC3\xA1 cortada";
    case Problem::unknownOptionalHeader: return "la cabecera opcional es de un tipo desconocido";
    case Problem::tooManySections: return "tiene m\xC3\xA1s secciones de las que Windows admite";
    case Problem::sectionTableOutside: return "la tabla de secciones sale del archivo";
    case Problem::importTableOutside: return "la tabla de importaciones sale del archivo";
    case Problem::importTableEndless: return "la tabla de importaciones no termina";
    case Problem::importNameUnterminated: return "el nombre de una DLL importada no termina dentro del archivo";
    case Problem::importNameNotADll:
        return "la tabla de importaciones est\xC3\xA1 da\xC3\xB1" "ada: uno de sus nombres no es el de una DLL";
    }
    return {};
}

}  // namespace trevanil::logtext

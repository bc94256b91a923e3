#include "platform/cause.h"

#include <cstdio>

namespace trevanil {

namespace {

// "(error 5: Acceso denegado.)", or "(error 5)" where the system has no text.
std::string errorText(std::uint32_t code, const std::string& text) {
    return "(error " + std::to_string(code) + (text.empty() ? "" : ": " + text) + ")";
}

// A returned status as the system writes one: "0x80070005 (Acceso denegado.)".
std::string statusText(std::uint32_t code, const std::string& text) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return text.empty() ? std::string(hex) : std::string(hex) + " (" + text + ")";
}

constexpr const char* kNowhere = ", que no est\xC3\xA1 en su carpeta ni en la carpeta del sistema";

std::string causeText(const Cause& c) {
    using Kind = Cause::Kind;
    switch (c.kind) {
    case Kind::copyFailed: return "no se pudo copiar a " + c.value + " " + errorText(c.code, c.systemText);
    case Kind::keptNewer:
        return "no se copi\xC3\xB3: la versi\xC3\xB3n instalada, " + c.value +
               ", es m\xC3\xA1s nueva que la del programa, " + c.detail;
    case Kind::notThere: return "no existe el archivo " + c.value;
    case Kind::wrongBits:
        return "es un archivo de " + c.value + " bits y este programa, de " + c.detail + " bits, no puede cargarlo";
    case Kind::missingDll: return "necesita " + c.value + kNowhere;
    case Kind::missingDllBelow: return "necesita " + c.detail + ", y esta necesita " + c.value + kNowhere;
    case Kind::startupRefused: return "su c\xC3\xB3" "digo de inicio (DllMain) rechaz\xC3\xB3 la carga";
    case Kind::noEntryPoint: return "no tiene el punto de entrada " + c.value;
    case Kind::entryFailed: return c.value + " devolvi\xC3\xB3 " + statusText(c.code, c.systemText);
    case Kind::loadFailed: break;
    }
    return "no se pudo cargar" + (c.detail.empty() ? "" : ": " + c.detail) + " " + errorText(c.code, c.systemText);
}

}  // namespace

std::string detailLine(const Cause& cause) { return "*** " + cause.file + ": " + causeText(cause); }

}  // namespace trevanil

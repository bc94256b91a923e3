#include "register/self_registration.h"

namespace trevanil::f2423123 {

bool registrarServidor(ModuleLoader& loader, std::int32_t hWnd, const std::string& ruta, bool registrar) {
    const auto modulo = loader.load(ruta);
    if (!modulo) return false;  // nothing loaded, nothing to look up or release
    const EntryPoint entrada = modulo->procAddress(registrar ? "DllRegisterServer" : "DllUnregisterServer");
    if (entrada == 0) return false;  // never call through a missing address; still released
    return modulo->call(entrada, hWnd) == 0;
}

}  // namespace trevanil::f2423123

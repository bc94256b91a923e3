#include "register/self_registration.h"

namespace trevanil::selfRegistration {

bool registrarServidor(ModuleLoader& loader, std::int32_t hWnd, const std::string& path, bool registering) {
    const auto module = loader.load(path);
    if (!module) return false;  // nothing loaded, nothing to look up or release
    const EntryPoint entry = module->procAddress(registering ? "DllRegisterServer" : "DllUnregisterServer");
    if (entry == 0) return false;  // never call through a missing address; still released
    return module->call(entry, hWnd) == 0;
}

}  // namespace trevanil::selfRegistration

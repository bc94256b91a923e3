// Self-registration of one component file (the form designer's module
// f2423123).
#pragma once

#include <cstdint>
#include <string>

#include "platform/module_loader.h"

namespace trevanil::selfRegistration {

// Loads the file, calls DllRegisterServer (registering true) or
// DllUnregisterServer, releases the file and answers true exactly when the
// entry point returned 0. A file that does not load, or lacks the entry
// point, gives false. Platform failures pass through unchanged.
bool registrarServidor(ModuleLoader& loader, std::int32_t hWnd, const std::string& path, bool registering);

}  // namespace trevanil::selfRegistration

// Self-registration of one component file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/module_loader.h"

namespace trevanil::f2423123 {

// Loads the file, calls DllRegisterServer (registrar true) or
// DllUnregisterServer, releases the file and answers true exactly when the
// entry point returned 0. A file that does not load, or lacks the entry
// point, gives false. Platform failures pass through unchanged.
bool registrarServidor(ModuleLoader& loader, std::int32_t hWnd, const std::string& ruta, bool registrar);

}  // namespace trevanil::f2423123

// The installation pass over the window's list: the log, the copy phase,
// the registration phase and the viewer. The window starts it from its
// timer; the pass reads the list and moves the title and the bar.
#pragma once

#include <cstdint>
#include <string>

#include "install/progress.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"

namespace trevanil {

// How the pass ended, for the program's exit code.
enum class Resultado {
    sinPasada,           // the window closed before it started
    todosRegistrados,    // ran to the end, every component registered
    algunoSinRegistrar,  // ran to the end, at least one component did not register
    interrumpida,        // broke off in the error report
};

class InstallPass {
public:
    InstallPass(Form& ventana, Runtime& runtime, ModuleLoader& loader) noexcept
        : ventana_(ventana), runtime_(runtime), loader_(loader) {}

    // The whole pass; every error ends in a message box, none leaves it.
    void instalar();
    // The copy phase; raises nothing.
    void copiar();
    std::int32_t ultimoCopiado() const { return ultimoCopiado_; }
    Resultado resultado() const { return resultado_; }

private:
    std::string nombre(std::int16_t index) const;  // List1 item, trimmed, read anew
    std::string rutaLog() const;
    void ponerProgreso(Fase fase, std::int16_t index, std::int32_t offset);

    Form& ventana_;
    Runtime& runtime_;
    ModuleLoader& loader_;
    std::int32_t ultimoCopiado_ = 0;
    Resultado resultado_ = Resultado::sinPasada;
};

}  // namespace trevanil

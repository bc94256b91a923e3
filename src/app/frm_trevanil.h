// The main window's logic: its form-level state, its handlers and the
// procedures of the installation pass.
#pragma once

#include <cstdint>
#include <string>

#include "install/progress.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"

namespace trevanil {

inline constexpr std::string_view kNombreLog = "RegistroOCX.log";

// How the pass ended, for the program's exit code.
enum class Resultado {
    sinPasada,           // the window closed before it started
    todosRegistrados,    // ran to the end, every component registered
    algunoSinRegistrar,  // ran to the end, at least one component did not register
    interrumpida,        // broke off in the error report
};

class FrmTrevanil : public FormEvents {
public:
    FrmTrevanil(Form& ventana, Runtime& runtime, ModuleLoader& loader);

    void Form_Load() override;
    void Timer2_Timer() override;
    bool puedeCerrar() const override;

    // The copy phase; raises nothing.
    void copiar();

    std::int32_t ultimoCopiado() const { return ultimoCopiado_; }
    Resultado resultado() const { return resultado_; }

private:
    // The whole pass; every error ends in a message box, none leaves it.
    void instalar();

    std::string nombre(std::int16_t index) const;  // List1 item, trimmed, read anew
    std::string rutaLog() const;
    void ponerProgreso(Fase fase, std::int16_t index, std::int32_t offset);

    Form& ventana_;
    Runtime& runtime_;
    ModuleLoader& loader_;
    std::int32_t ultimoCopiado_ = 0;
    bool enPasada_ = false;
    bool pasadaHecha_ = false;
    Resultado resultado_ = Resultado::sinPasada;
};

}  // namespace trevanil

// The main window's logic: its handlers, and the one pass its timer
// starts.
#pragma once

#include <string_view>

#include "install/install_pass.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"

namespace trevanil {

inline constexpr std::string_view kNombreLog = "RegistroOCX.log";

class FrmTrevanil : public FormEvents {
public:
    FrmTrevanil(Form& ventana, Runtime& runtime, ModuleLoader& loader);

    void Form_Load() override;
    void Timer2_Timer() override;
    bool puedeCerrar() const override;

    // The pass the timer starts, once.
    const InstallPass& pass() const { return pass_; }
    Resultado resultado() const { return pass_.resultado(); }

private:
    Form& ventana_;
    Runtime& runtime_;
    InstallPass pass_;
    bool enPasada_ = false;
    bool pasadaHecha_ = false;
};

}  // namespace trevanil

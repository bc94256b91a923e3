#include "app/frm_trevanil.h"

namespace trevanil {

FrmTrevanil::FrmTrevanil(Form& ventana, Runtime& runtime, ModuleLoader& loader)
    : ventana_(ventana), runtime_(runtime), pass_(ventana, runtime, loader) {}

void FrmTrevanil::Form_Load() {}

void FrmTrevanil::Timer2_Timer() {
    // Timer2 stays armed while the pass pumps events: a tick that arrives
    // then, or after the pass, must not start another one.
    if (enPasada_ || pasadaHecha_) return;
    enPasada_ = true;
    pass_.instalar();
    enPasada_ = false;
    pasadaHecha_ = true;

    ventana_.Timer2().setInterval(0);
    ventana_.Timer2().setEnabled(false);
    ventana_.unload();
    runtime_.end();
}

// A close request during the pass is refused: the pass goes on reading the
// list and writing the title and the bar, and the program ends after it.
bool FrmTrevanil::puedeCerrar() const { return !enPasada_; }

}  // namespace trevanil

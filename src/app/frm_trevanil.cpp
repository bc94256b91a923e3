#include "app/frm_trevanil.h"

#include <utility>

namespace trevanil {

FrmTrevanil::FrmTrevanil(Form& window, Runtime& runtime, ModuleLoader& loader, WindowsFolders folders,
                         const RegisteredFile& registered)
    : window_(window), runtime_(runtime), pass_(window, runtime, loader, std::move(folders), registered) {}

void FrmTrevanil::Form_Load() {}

void FrmTrevanil::Timer2_Timer() {
    // Timer2 stays armed while the pass pumps events: a tick that arrives
    // then, or after the pass, must not start another one.
    if (inPass_ || passDone_) return;
    inPass_ = true;
    pass_.instalar();
    inPass_ = false;
    passDone_ = true;

    window_.Timer2().setInterval(0);
    window_.Timer2().setEnabled(false);
    window_.unload();
    runtime_.end();
}

// A close request during the pass is refused: the pass goes on reading the
// list and writing the title and the bar, and the program ends after it.
bool FrmTrevanil::canClose() const { return !inPass_; }

}  // namespace trevanil

#include "install/install_pass.h"

#include "platform/text.h"

namespace trevanil {

std::string InstallPass::nombre(std::int16_t index) const { return trim(ventana_.List1().list(index)); }

std::string InstallPass::rutaLog() const { return runtime_.logPath(); }

void InstallPass::ponerProgreso(Fase fase, std::int16_t index, std::int32_t offset) {
    ventana_.ProgressBar1().setValue(valorProgreso(fase, index, offset, ventana_.List1().listCount()));
}

}  // namespace trevanil

#include "install/install_pass.h"

#include "platform/text.h"

namespace trevanil {

std::string InstallPass::name(std::int16_t index) const { return trim(window_.List1().list(index)); }

std::string InstallPass::logPath() const { return runtime_.logPath(); }

void InstallPass::setProgress(Phase phase, std::int16_t index, std::int32_t offset) {
    window_.ProgressBar1().setValue(progressValue(phase, index, offset, window_.List1().listCount()));
}

}  // namespace trevanil

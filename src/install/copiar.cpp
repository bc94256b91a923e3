// The copy phase: every listed file from the program's folder into the
// System32 folder. Every failure is ignored; the phase reports nothing.
#include <memory>

#include "install/install_pass.h"
#include "platform/resume_next.h"

namespace trevanil {

namespace {

// A step whose object creation failed and found no earlier object.
void copyWithoutObject() { throw PlatformError(errnum::objectVariableNotSet); }

}  // namespace

void InstallPass::copiar() {
    int fin = -1;
    resumeNext([&] { fin = window_.List1().listCount() - 1; });

    std::string origen;
    std::string destino;
    std::unique_ptr<FileSystemObject> fso;
    for (std::int16_t i = 0; i <= fin; ++i) {
        resumeNext([&] { origen = runtime_.appPath() + "\\" + name(i); });
        resumeNext([&] { destino = runtime_.environment("WINDIR") + "\\System32\\" + name(i); });
        resumeNext([&] { fso = runtime_.createObject(kFileSystemObjectClass); });
        // A newer file kept at the destination is no failure: the step goes
        // on as after a copy.
        resumeNext([&] { fso ? void(fso->copyFile(origen, destino)) : copyWithoutObject(); });
        resumeNext([&] { runtime_.doEvents(); });
        resumeNext([&] { window_.setCaption("Copiando: " + name(i)); });
        resumeNext([&] { setProgress(Phase::copy, i, 0); });
        ultimoCopiado_ = i;
    }
}

}  // namespace trevanil

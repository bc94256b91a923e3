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
    int last = -1;
    resumeNext([&] { last = window_.List1().listCount() - 1; });

    std::string source;
    std::string destination;
    std::unique_ptr<FileSystemObject> fso;
    for (std::int16_t i = 0; i <= last; ++i) {
        resumeNext([&] { source = runtime_.appPath() + "\\" + name(i); });
        resumeNext([&] { destination = folders_.system32 + "\\" + name(i); });
        resumeNext([&] { fso = runtime_.createObject(kFileSystemObjectClass); });
        // A newer file kept at the destination is no failure: the step goes
        // on as after a copy. With no Windows folder there is nowhere to copy.
        resumeNext([&] {
            if (folders_.none()) throw PlatformError(errnum::pathNotFound);
            fso ? void(fso->copyFile(source, destination)) : copyWithoutObject();
        });
        resumeNext([&] { runtime_.doEvents(); });
        resumeNext([&] { window_.setCaption("Copiando: " + name(i)); });
        resumeNext([&] { setProgress(Phase::copy, i, 0); });
        ultimoCopiado_ = i;
    }
}

}  // namespace trevanil

// The installation pass: log, copy phase, registration phase, viewer.
#include <memory>

#include "install/install_pass.h"
#include "detail/log_texts.h"
#include "install/broken_off.h"
#include "platform/resume_next.h"
#include "register/self_registration.h"

namespace trevanil {

void InstallPass::instalar() {
    std::unique_ptr<FileSystemObject> fso;
    std::unique_ptr<TextStream> log;
    bool all = true;
    trapErrors([&] {
        fso = runtime_.createObject(kFileSystemObjectClass);
        log = fso->createTextFile(logPath());

        copiar();

        const int last = window_.List1().listCount() - 1;
        for (std::int16_t i = 0; i <= last; ++i) {
            const std::int32_t hWnd = window_.hWnd();
            bool registered = false;
            if (!folders_.none()) {  // with no Windows folder nothing is loaded
                const RegisteredFile::Choice file = registered_.of(folders_, name(i));
                registered = selfRegistration::registrarServidor(loader_, hWnd, file.path, true);
                if (registered) registered_.registered(file);
            }
            all = all && registered;
            log->writeLine(name(i) + (registered ? logtext::kRegistered : logtext::kNotRegistered));
            runtime_.doEvents();
            window_.setCaption("Registrando: " + name(i));
            setProgress(Phase::registration, i, ultimoCopiado_);
        }

        log->close();
        runtime_.openViewer(logPath());
        result_ = all ? PassResult::allRegistered : PassResult::notAllRegistered;
    }, [&](const PlatformError& error) {
        result_ = PassResult::brokenOff;
        reportBrokenOff(runtime_, log.get(), error);
    });
}

}  // namespace trevanil

#include "uninstall/uninstall_pass.h"

#include <memory>
#include <string>

#include "detail/log_texts.h"
#include "install/broken_off.h"
#include "install/progress.h"
#include "platform/resume_next.h"
#include "platform/text.h"

namespace trevanil {

namespace {

const char* lineOf(Undone undone) {
    switch (undone) {
    case Undone::removed: return logtext::kRemoved;
    case Undone::keptForOthers: return logtext::kKeptForOthers;
    case Undone::left: return logtext::kLeft;
    case Undone::failed: break;
    }
    return logtext::kNotRemoved;
}


}  // namespace

void UninstallPass::uninstall() {
    std::unique_ptr<FileSystemObject> fso;
    std::unique_ptr<TextStream> log;
    bool all = true;
    trapErrors([&] {
        fso = runtime_.createObject(kFileSystemObjectClass);
        log = fso->createTextFile(runtime_.logPath());
        const std::int16_t count = window_.List1().listCount();
        for (std::int16_t i = 0; i < count; ++i) {
            const std::string name = trim(window_.List1().list(i));
            const Undone undone = takeBack_.undo(name, window_.hWnd());
            all = all && undone != Undone::failed;
            log->writeLine(name + lineOf(undone));
            runtime_.doEvents();
            window_.setCaption("Quitando: " + name);
            window_.ProgressBar1().setValue(progressValue(Phase::whole, i, 0, count));
        }
        log->close();
        runtime_.openViewer(runtime_.logPath());
        result_ = all ? UninstallResult::allDone : UninstallResult::notAllDone;
    }, [&](const PlatformError& error) {
        result_ = UninstallResult::brokenOff;
        reportBrokenOff(runtime_, log.get(), error);
    });
}

}  // namespace trevanil

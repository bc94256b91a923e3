// The installation pass over the window's list: the log, the copy phase,
// the registration phase and the viewer. The window starts it from its
// timer; the pass reads the list and moves the title and the bar.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "install/progress.h"
#include "install/registered_file.h"
#include "install/windows_folder.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"

namespace trevanil {

// How the pass ended, for the program's exit code.
enum class PassResult {
    notRun,              // the window closed before it started
    allRegistered,    // ran to the end, every component registered
    notAllRegistered,  // ran to the end, at least one component did not register
    brokenOff,         // broke off in the error report
};

class InstallPass {
public:
    // With no Windows folder nothing is copied or loaded.
    InstallPass(Form& window, Runtime& runtime, ModuleLoader& loader, WindowsFolders folders,
                const RegisteredFile& registered) noexcept
        : window_(window), runtime_(runtime), loader_(loader), folders_(std::move(folders)), registered_(registered) {}

    // The whole pass; every error ends in a message box, none leaves it.
    void instalar();
    // The copy phase; raises nothing.
    void copiar();
    std::int32_t ultimoCopiado() const { return ultimoCopiado_; }
    PassResult result() const { return result_; }

private:
    std::string name(std::int16_t index) const;  // List1 item, trimmed, read anew
    std::string logPath() const;
    void setProgress(Phase phase, std::int16_t index, std::int32_t offset);

    Form& window_;
    Runtime& runtime_;
    ModuleLoader& loader_;
    const WindowsFolders folders_;
    const RegisteredFile& registered_;
    std::int32_t ultimoCopiado_ = 0;
    PassResult result_ = PassResult::notRun;
};

}  // namespace trevanil

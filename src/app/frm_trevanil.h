// The main window's logic: its handlers, and the one pass its timer
// starts (the installation, or the one the entry point hands it: /U).
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "install/install_pass.h"
#include "platform/form.h"
#include "platform/module_loader.h"
#include "platform/runtime.h"

namespace trevanil {

class FrmTrevanil : public FormEvents {
public:
    FrmTrevanil(Form& window, Runtime& runtime, ModuleLoader& loader, WindowsFolders folders,
                const RegisteredFile& registered);
    // The window whose timer starts `pass` instead.
    FrmTrevanil(Form& window, Runtime& runtime, std::function<void()> pass);

    void Form_Load() override;
    void Timer2_Timer() override;
    bool canClose() const override;

    // The installation the timer starts, once (the installation's window only).
    const InstallPass& pass() const { return *pass_; }
    PassResult result() const { return pass_->result(); }

private:
    Form& window_;
    Runtime& runtime_;
    std::optional<InstallPass> pass_;
    std::function<void()> run_;
    bool inPass_ = false;
    bool passDone_ = false;
};

}  // namespace trevanil

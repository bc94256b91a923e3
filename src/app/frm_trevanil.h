// The main window's logic: its handlers, and the one pass its timer
// starts.
#pragma once

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

    void Form_Load() override;
    void Timer2_Timer() override;
    bool canClose() const override;

    // The pass the timer starts, once.
    const InstallPass& pass() const { return pass_; }
    PassResult result() const { return pass_.result(); }

private:
    Form& window_;
    Runtime& runtime_;
    InstallPass pass_;
    bool inPass_ = false;
    bool passDone_ = false;
};

}  // namespace trevanil

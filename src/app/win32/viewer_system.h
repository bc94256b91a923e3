// The viewer's system on Win32: the answers and single steps the viewer's
// policy (app/viewer.h) asks for, and the route to the desktop shell on a
// worker of its own.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/viewer.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

class Win32ViewerSystem final : public ViewerSystem {
public:
    Win32ViewerSystem() = default;
    ~Win32ViewerSystem() override;  // lets the route's worker go, without waiting for it
    Win32ViewerSystem(const Win32ViewerSystem&) = delete;
    Win32ViewerSystem& operator=(const Win32ViewerSystem&) = delete;

    std::string systemFolder() const override;
    std::optional<std::string> wow64Folder() const override;
    bool isPlainFile(const std::string& path) const override;
    void lookForShell() override;
    void askShell(const ViewerStart& start) override;
    bool shellAnswered() override;
    std::unique_ptr<ShellToken> shellToken() override;
    TokenFacts ownToken() const override;
    void startItself(const ViewerStart& start) override;

    struct Route;  // shared by the caller and the worker, freed by whichever lets go last

private:
    Route* route_ = nullptr;
    unique_handle worker_;
    bool started_ = false;
    bool asked_ = false;
};

}  // namespace trevanil::win32

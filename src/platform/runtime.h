// Runtime services of the program: object creation, paths, environment,
// process launch, the event pump, the message box and the end.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace trevanil {

inline constexpr std::string_view kFileSystemObjectClass = "Scripting.FileSystemObject";

enum class WindowStyle { hide = 0, normalFocus = 1 };

class Runtime {
public:
    virtual ~Runtime() = default;
    // Raises 429 for a class it cannot create.
    virtual std::unique_ptr<FileSystemObject> createObject(std::string_view className) = 0;
    virtual std::string appPath() const = 0;                   // no trailing separator
    virtual std::string logPath() const = 0;                   // the registration log's file
    virtual std::string environment(std::string_view name) const = 0;  // empty when unset
    // Starts the command line and returns without waiting; raises 53 when the
    // program cannot be started.
    virtual void shell(const std::string& commandLine, WindowStyle style) = 0;
    virtual void doEvents() = 0;
    // Modal box with an OK button only, under the program's title.
    virtual void msgBox(const std::string& prompt) = 0;
    // Ends the program once the current handler returns; nothing of the
    // program runs after that.
    virtual void end() = 0;
};

// A runtime that hands every call to the one it wraps: a wrapper (the
// quiet mode, the detailed log) overrides only what it changes.
class ForwardingRuntime : public Runtime {
public:
    explicit ForwardingRuntime(Runtime& runtime) noexcept : runtime_(runtime) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override {
        return runtime_.createObject(className);
    }
    std::string appPath() const override { return runtime_.appPath(); }
    std::string logPath() const override { return runtime_.logPath(); }
    std::string environment(std::string_view name) const override { return runtime_.environment(name); }
    void shell(const std::string& commandLine, WindowStyle style) override { runtime_.shell(commandLine, style); }
    void doEvents() override { runtime_.doEvents(); }
    void msgBox(const std::string& prompt) override { runtime_.msgBox(prompt); }
    void end() override { runtime_.end(); }

protected:
    Runtime& wrapped() const noexcept { return runtime_; }

private:
    Runtime& runtime_;
};

}  // namespace trevanil

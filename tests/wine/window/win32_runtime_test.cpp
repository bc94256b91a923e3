// The runtime services that belong to the window: object creation by class
// name, the event pump, the message box, the end and the event loop.
#include <gtest/gtest.h>

#include <memory>

#include "app/form_design.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_runtime.h"
#include "window_support.h"

namespace trevanil::win32 {
namespace {

using test::pump;

class ClosableEvents final : public FormEvents {
public:
    void Form_Load() override {}
    void Timer2_Timer() override {}
    bool canClose() const override { return true; }
};

class Win32RuntimeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { commonControls_ = initCommonControls(); }
    static void TearDownTestSuite() { commonControls_.reset(); }

    void SetUp() override {
        form_ = std::make_unique<Win32Form>(::GetModuleHandleW(nullptr), 1, frmTrevanilDesign());
        form_->Timer2().setEnabled(false);
        runtime_ = std::make_unique<Win32Runtime>(*form_, std::string());
        form_->load(events_, SW_SHOWNORMAL);
    }
    void TearDown() override {
        runtime_.reset();
        form_.reset();
        pump(200);
    }

    static inline unique_hmodule commonControls_;
    ClosableEvents events_;
    std::unique_ptr<Win32Form> form_;
    std::unique_ptr<Win32Runtime> runtime_;
};

TEST_F(Win32RuntimeTest, CreatesOnlyTheFileSystemObjectWhateverTheCase) {
    EXPECT_NE(runtime_->createObject("Scripting.FileSystemObject"), nullptr);
    EXPECT_NE(runtime_->createObject("scripting.filesystemobject"), nullptr);
    for (const char* name : {"Scripting.Dictionary", "", "Scripting.FileSystemObject "}) {
        try {
            runtime_->createObject(name);
            ADD_FAILURE() << "created \"" << name << "\"";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), errnum::cannotCreateObject);
        }
    }
}

TEST_F(Win32RuntimeTest, DoEventsHandlesWhatIsPendingAndLeavesOnlyTheProgramsQuitForTheLoop) {
    const HWND window = form_->handle();
    MSG message;
    ::PostQuitMessage(5);  // a component's, while the window is there
    runtime_->doEvents();
    EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a stray quit was kept";

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    runtime_->doEvents();
    EXPECT_FALSE(::IsWindow(window));  // the close request was handled

    ::PostQuitMessage(7);
    runtime_->doEvents();
    runtime_->doEvents();
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(Win32RuntimeTest, MsgBoxIsOwnedByTheWindowUnderTheProgramsTitleWithOkOnly) {
    test::MessageBoxWatcher watcher(::GetCurrentProcessId(), 30000);
    ::PostQuitMessage(0);  // left by a component: the box still waits for OK
    runtime_->msgBox("53 No se ha encontrado el archivo");
    const auto seen = watcher.result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->title, L"Trevanil");
    EXPECT_EQ(seen->text, L"53 No se ha encontrado el archivo");
    EXPECT_EQ(seen->owner, form_->handle());
    EXPECT_FALSE(seen->icon);
    EXPECT_EQ(seen->buttons, 1);
}

TEST_F(Win32RuntimeTest, EndStopsTheEventLoop) {
    runtime_->end();
    EXPECT_TRUE(pump(1000).quit);
}

TEST_F(Win32RuntimeTest, TheEventLoopRunsUntilTheWindowIsClosed) {
    const HWND window = form_->handle();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    runtime_->run();  // returns only once the program has ended
    EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
}  // namespace trevanil::win32

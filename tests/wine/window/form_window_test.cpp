// The real main window, created in this process: its design-time settings,
// its controls, timers, focus and close handling.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/form_design.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/dpi.h"
#include "platform/win32/form_font.h"
#include "platform/win32/form_window.h"
#include "platform/win32/strings.h"
#include "platform/win32/win32_runtime.h"
#include "window_support.h"

namespace trevanil::win32 {
namespace {

using test::pump;

constexpr int kNoIcon = 1;  // the test executable has no icon resource

bool installed(const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    const HDC screen = ::GetDC(nullptr);
    const auto noteFound = [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM f) CALLBACK -> int {
        *reinterpret_cast<bool*>(f) = true;
        return 0;
    };
    ::EnumFontFamiliesExW(screen, &lf, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

bool operator==(const RECT& r, const PixelRect& p) {
    return r.left == p.left && r.top == p.top && r.right - r.left == p.width && r.bottom - r.top == p.height;
}

class RecordingEvents final : public FormEvents {
public:
    explicit RecordingEvents(const Win32Form& form) : form_(form) {}

    void Form_Load() override {
        ++loads;
        visibleAtLoad = ::IsWindowVisible(form_.handle()) != FALSE;
    }
    void Timer2_Timer() override {
        ticks.push_back(::GetTickCount64());
        if (onTick) onTick();
    }
    bool canClose() const override {
        ++closeRequests;
        return !inPass;
    }

    int loads = 0;
    bool visibleAtLoad = true;
    std::vector<ULONGLONG> ticks;
    std::function<void()> onTick;
    bool inPass = false;
    mutable int closeRequests = 0;

private:
    const Win32Form& form_;
};

class FormWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::beDpiAware();
        commonControls_ = initCommonControls();
    }
    static void TearDownTestSuite() { commonControls_.reset(); }

    void SetUp() override {
        created_ = ::GetTickCount64();
        form_ = std::make_unique<Win32Form>(::GetModuleHandleW(nullptr), kNoIcon, frmTrevanilDesign());
        events_ = std::make_unique<RecordingEvents>(*form_);
    }
    void TearDown() override {
        form_.reset();
        pump(200);  // what the gone window left in the queue
    }

    HWND window() const { return form_->handle(); }
    HWND list1() const { return form_->List1().handle(); }
    HWND list2() const { return form_->List2().handle(); }
    HWND bar() const { return form_->ProgressBar1().handle(); }
    FormLayout layout() const { return layoutAt(frmTrevanilDesign(), form_->dpi()); }
    void show() { form_->load(*events_, SW_SHOWNORMAL); }

    static inline unique_hmodule commonControls_;
    ULONGLONG created_ = 0;
    std::unique_ptr<Win32Form> form_;
    std::unique_ptr<RecordingEvents> events_;
};

TEST_F(FormWindowTest, FixedSingleBorderTitledTrevanilNotShownBeforeLoad) {
    EXPECT_EQ(test::windowText(window()), L"Trevanil");
    EXPECT_EQ(form_->caption(), "Trevanil");
    const LONG_PTR style = ::GetWindowLongPtrW(window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(::IsWindowVisible(window()));
    EXPECT_EQ(form_->hWnd(), HandleToLong(window()));
}

TEST_F(FormWindowTest, ClientAreaAndControlsAreTheDesignsTwipsAtTheWindowsDpi) {
    const FormLayout l = layout();
    RECT client{};
    ::GetClientRect(window(), &client);
    EXPECT_EQ(client.right, l.clientWidth);
    EXPECT_EQ(client.bottom, l.clientHeight);
    EXPECT_TRUE(test::childRect(list1()) == l.list1);
    EXPECT_TRUE(test::childRect(bar()) == l.progressBar1);
    EXPECT_TRUE(test::childRect(list2()) == l.list2);
}

// Each of the next two runs where the run asks for its DPI, and then fails,
// not skips, on a window at another one. The real program's DPI is checked
// from outside (tests/wine/e2e/program_test.cpp).
TEST_F(FormWindowTest, At96DpiTheRectanglesAreTheDesignersPixels) {
    if (test::askedDpi() != 96) GTEST_SKIP() << "the run asks for " << test::askedDpi() << " DPI";
    ASSERT_EQ(form_->dpi(), 96);
    RECT client{};
    ::GetClientRect(window(), &client);
    EXPECT_EQ(client.right, 632);
    EXPECT_EQ(client.bottom, 548);
    EXPECT_TRUE(test::childRect(list1()) == (PixelRect{0, 0, 185, 84}));
    EXPECT_TRUE(test::childRect(bar()) == (PixelRect{0, 88, 185, 25}));
    EXPECT_TRUE(test::childRect(list2()) == (PixelRect{136, 168, 185, 276}));
    EXPECT_EQ(layout().fontHeight, -13);
}

TEST_F(FormWindowTest, At144DpiEverythingIsHalfAsLargeAgain) {
    if (test::askedDpi() != 144) GTEST_SKIP() << "the run asks for " << test::askedDpi() << " DPI";
    ASSERT_EQ(form_->dpi(), 144);
    RECT client{};
    ::GetClientRect(window(), &client);
    EXPECT_EQ(client.right, 948);
    EXPECT_EQ(client.bottom, 822);
    EXPECT_TRUE(test::childRect(list1()) == (PixelRect{0, 0, 278, 126}));
    EXPECT_TRUE(test::childRect(bar()) == (PixelRect{0, 132, 278, 38}));
    EXPECT_TRUE(test::childRect(list2()) == (PixelRect{204, 252, 278, 414}));
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(list1(), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -20);
}

TEST_F(FormWindowTest, MovedToAScreenAt144DpiItIsLaidOutAgain) {
    const FormLayout at144 = layoutAt(frmTrevanilDesign(), 144);
    const RECT frame = windowRectForClient(at144.clientWidth, at144.clientHeight, Win32Form::kStyle,
                                           Win32Form::kExStyle, 144);
    RECT suggested{40, 30, 40 + frame.right - frame.left, 30 + frame.bottom - frame.top};
    ::SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    EXPECT_EQ(form_->dpi(), 144);
    RECT now{};
    ::GetWindowRect(window(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_TRUE(test::childRect(list1()) == at144.list1);
    EXPECT_TRUE(test::childRect(bar()) == at144.progressBar1);
    EXPECT_TRUE(test::childRect(list2()) == at144.list2);
    for (HWND list : {list1(), list2()}) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, at144.fontHeight);
        EXPECT_EQ(font.lfWeight, 700);
    }
    EXPECT_EQ(form_->List1().list(2), "mscomct2.ocx");  // same items
}

// On the screen, not in its work area (the screen less the taskbar): the
// window is made again while the work area is unlike the screen.
TEST_F(FormWindowTest, CentredOnTheScreen) {
    RECT work{};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    RECT taskbarAtTop = work;
    taskbarAtTop.top += 120;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_SETWORKAREA, 0, &taskbarAtTop, 0));
    events_.reset();
    form_.reset();
    form_ = std::make_unique<Win32Form>(::GetModuleHandleW(nullptr), kNoIcon, frmTrevanilDesign());
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);

    RECT frame{};
    ::GetWindowRect(window(), &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(FormWindowTest, BothListsHoldTheFiveComponentsInOrder) {
    const auto& items = frmTrevanilDesign().items;
    for (HWND list : {list1(), list2()}) {
        ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 5);
        for (WPARAM i = 0; i < 5; ++i) {
            wchar_t text[64] = {};
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_EQ(toUtf8(text), items[i]);
        }
        EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);  // nothing selected
    }
    EXPECT_EQ(items[0], "comdlg32.ocx");
    EXPECT_EQ(items[4], "msflxgrd.ocx");

    EXPECT_EQ(form_->List1().listCount(), 5);
    EXPECT_EQ(form_->List1().list(0), "comdlg32.ocx");
    EXPECT_EQ(form_->List1().list(3), "mscomctl.ocx");
    EXPECT_EQ(form_->List2().list(4), "msflxgrd.ocx");
}

TEST_F(FormWindowTest, AnIndexOutsideTheListRaisesInvalidArgument) {
    for (std::int16_t index : {std::int16_t{-1}, std::int16_t{5}, std::int16_t{32767}}) {
        try {
            form_->List1().list(index);
            ADD_FAILURE() << "no error for index " << index;
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), errnum::invalidArgument);
        }
    }
}

TEST_F(FormWindowTest, ListsAreSingleSelectionUnsortedTabStopsOfExactHeight) {
    for (HWND list : {list1(), list2()}) {
        const LONG_PTR style = ::GetWindowLongPtrW(list, GWL_STYLE);
        EXPECT_EQ(test::className(list), L"ListBox");
        // (WS_VSCROLL goes while the items fit: the list hides an idle scroll bar.)
        EXPECT_TRUE((style & WS_VISIBLE) && (style & WS_TABSTOP) && (style & WS_BORDER));
        EXPECT_TRUE(style & LBS_NOINTEGRALHEIGHT);
        EXPECT_FALSE(style & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
        EXPECT_FALSE(style & WS_DISABLED);
    }
    EXPECT_FALSE(::GetWindowLongPtrW(bar(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(FormWindowTest, ListsUseTheDesignFontBold) {
    const std::wstring face = fontFaceFor(frmTrevanilDesign());
    if (installed(L"MS Sans Serif")) {
        EXPECT_EQ(face, L"MS Sans Serif");
    } else {
        EXPECT_NE(face, L"MS Sans Serif") << "a missing face must not be asked for by name";
        EXPECT_FALSE(face.empty());
    }
    for (HWND list : {list1(), list2()}) {
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
        ASSERT_NE(handle, nullptr);
        ASSERT_NE(::GetObjectW(handle, sizeof font, &font), 0);
        EXPECT_EQ(std::wstring(font.lfFaceName), face);
        EXPECT_EQ(font.lfHeight, layout().fontHeight);
        EXPECT_EQ(font.lfWeight, 700);
        EXPECT_EQ(font.lfCharSet, 0);
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
    }
}

TEST_F(FormWindowTest, ProgressBarStartsEmptyAndKeepsFractionalValues) {
    EXPECT_EQ(test::className(bar()), L"msctls_progress32");
    EXPECT_EQ(form_->ProgressBar1().value(), 0.0f);
    EXPECT_EQ(::SendMessageW(bar(), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(bar(), PBM_GETRANGE, TRUE, 0), 0);
    const LRESULT max = ::SendMessageW(bar(), PBM_GETRANGE, FALSE, 0);
    EXPECT_GE(max, 1000);  // finer than whole units, so halves show

    form_->ProgressBar1().setValue(12.5f);
    EXPECT_EQ(form_->ProgressBar1().value(), 12.5f);
    EXPECT_EQ(::SendMessageW(bar(), PBM_GETPOS, 0, 0), max / 8);
    form_->ProgressBar1().setValue(50.0f);
    EXPECT_EQ(::SendMessageW(bar(), PBM_GETPOS, 0, 0), max / 2);
    form_->ProgressBar1().setValue(87.5f);
    EXPECT_EQ(form_->ProgressBar1().value(), 87.5f);
    form_->ProgressBar1().setValue(100.0f);
    EXPECT_EQ(::SendMessageW(bar(), PBM_GETPOS, 0, 0), max);
}

TEST_F(FormWindowTest, CaptionTakesAnyText) {
    form_->setCaption("Copiando: comdlg32.ocx");
    EXPECT_EQ(test::windowText(window()), L"Copiando: comdlg32.ocx");
    form_->setCaption("Registrando: a\xC3\xB1o \xE2\x82\xAC.ocx");  // "año €"
    EXPECT_EQ(test::windowText(window()), L"Registrando: a\u00F1o \u20AC.ocx");
    EXPECT_EQ(form_->caption(), "Registrando: a\xC3\xB1o \xE2\x82\xAC.ocx");
}

TEST_F(FormWindowTest, LoadRunsFormLoadOnceThenShowsTheWindowWithList1Focused) {
    show();
    EXPECT_EQ(events_->loads, 1);
    EXPECT_FALSE(events_->visibleAtLoad);
    EXPECT_TRUE(::IsWindowVisible(window()));
    EXPECT_FALSE(::IsIconic(window()) || ::IsZoomed(window()));
    pump(300);
    EXPECT_EQ(::GetFocus(), list1());
}

TEST_F(FormWindowTest, TabMovesBetweenTheTwoLists) {
    Win32Runtime runtime(*form_, {});
    show();
    ASSERT_EQ(::GetFocus(), list1());
    ::PostMessageW(list1(), WM_KEYDOWN, VK_TAB, 0);
    runtime.doEvents();
    EXPECT_EQ(::GetFocus(), list2());
    ::PostMessageW(list2(), WM_KEYDOWN, VK_TAB, 0);
    runtime.doEvents();
    EXPECT_EQ(::GetFocus(), list1());  // the progress bar takes no focus
}

TEST_F(FormWindowTest, Timer2FiresEverySecondWhileEnabledAndTimer1Never) {
    EXPECT_EQ(form_->Timer1().interval(), 0);
    EXPECT_FALSE(form_->Timer1().enabled());
    EXPECT_EQ(form_->Timer2().interval(), 1000);
    EXPECT_TRUE(form_->Timer2().enabled());
    show();

    const auto counting = pump(3600);
    const auto& ticks = events_->ticks;
    ASSERT_GE(ticks.size(), 2u);
    EXPECT_LE(ticks.size(), 4u);
    EXPECT_GE(ticks[0] - created_, 950u);  // counted from the window's creation
    EXPECT_GE(ticks[1] - ticks[0], 900u);
    for (UINT_PTR id : counting.timerIds) EXPECT_NE(id, form_->Timer1().id());

    // Enabled with interval 0 it still never fires.
    form_->Timer1().setEnabled(true);
    for (UINT_PTR id : pump(1500).timerIds) EXPECT_NE(id, form_->Timer1().id());

    // Stopped the way the handler stops it: no more ticks.
    form_->Timer2().setInterval(0);
    form_->Timer2().setEnabled(false);
    const size_t stoppedAt = ticks.size();
    pump(2500);
    EXPECT_EQ(ticks.size(), stoppedAt);
}

TEST_F(FormWindowTest, ATimerFiresOnlyWithAnIntervalAndEnabled) {
    Win32Timer& timer1 = form_->Timer1();
    timer1.setInterval(100);  // still disabled
    auto seen = [&](const test::PumpRecord& r) {
        for (UINT_PTR id : r.timerIds) {
            if (id == timer1.id()) return true;
        }
        return false;
    };
    EXPECT_FALSE(seen(pump(600)));
    timer1.setEnabled(true);
    EXPECT_TRUE(seen(pump(2000)));
    timer1.setEnabled(false);
    pump(150);  // one may have been queued already
    EXPECT_FALSE(seen(pump(600)));
    EXPECT_THROW(timer1.setInterval(-1), PlatformError);
}

TEST_F(FormWindowTest, Timer2IsNotDeliveredAgainWhileItsHandlerRuns) {
    Win32Runtime runtime(*form_, {});
    size_t ticksInsideFirst = 0;
    events_->onTick = [&] {
        if (events_->ticks.size() != 1) return;
        // The pass pumps events for a few timer periods.
        const ULONGLONG until = ::GetTickCount64() + 2600;
        while (::GetTickCount64() < until) {
            runtime.doEvents();
            ::Sleep(20);
        }
        ticksInsideFirst = events_->ticks.size();
    };
    show();
    pump(6000, [&] { return events_->ticks.size() >= 2; });
    EXPECT_EQ(ticksInsideFirst, 1u);
    EXPECT_GE(events_->ticks.size(), 2u);  // delivered again once the handler returned
}

TEST_F(FormWindowTest, ClosingBeforeTheTimerEndsTheProgram) {
    show();
    const HWND list = list1();
    ::PostMessageW(window(), WM_CLOSE, 0, 0);
    const auto record = pump(5000, [&] { return form_->handle() == nullptr; });
    EXPECT_EQ(form_->handle(), nullptr);
    EXPECT_FALSE(::IsWindow(list));
    EXPECT_TRUE(record.quit || pump(200).quit);
    EXPECT_TRUE(events_->ticks.empty());
}

TEST_F(FormWindowTest, ACloseRequestDuringThePassIsRefusedAndTheWindowStaysUsable) {
    Win32Runtime runtime(*form_, {});
    bool aliveAfterRequest = false;
    std::string readBack;
    events_->onTick = [&] {
        if (events_->ticks.size() != 1) return;
        events_->inPass = true;
        ::PostMessageW(window(), WM_CLOSE, 0, 0);
        runtime.doEvents();
        aliveAfterRequest = ::IsWindow(window()) && ::IsWindowVisible(window());
        form_->setCaption("Registrando: msflxgrd.ocx");
        form_->ProgressBar1().setValue(100.0f);
        readBack = form_->List1().list(4);
        events_->inPass = false;
    };
    show();
    pump(5000, [&] { return !events_->ticks.empty(); });
    pump(300);
    EXPECT_EQ(events_->closeRequests, 1);
    EXPECT_TRUE(aliveAfterRequest);
    EXPECT_EQ(readBack, "msflxgrd.ocx");
    EXPECT_EQ(form_->caption(), "Registrando: msflxgrd.ocx");
    EXPECT_NE(form_->handle(), nullptr);  // the refused request is not remembered

    // A logoff or shutdown likewise: refused only during the pass.
    events_->inPass = true;
    EXPECT_EQ(::SendMessageW(window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
    events_->inPass = false;
    EXPECT_EQ(::SendMessageW(window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);

    ::PostMessageW(window(), WM_CLOSE, 0, 0);
    pump(3000, [&] { return form_->handle() == nullptr; });
    EXPECT_EQ(form_->handle(), nullptr);
}

TEST_F(FormWindowTest, UnloadDestroysTheWindowAndItsControls) {
    show();
    const HWND gone = window();
    const HWND list = list2();
    form_->unload();
    EXPECT_FALSE(::IsWindow(gone));
    EXPECT_FALSE(::IsWindow(list));
    EXPECT_EQ(form_->handle(), nullptr);
    EXPECT_TRUE(pump(500).quit);
}

TEST_F(FormWindowTest, AnErrorLeftUntrappedByTheTimerHandlerIsReportedAndEndsTheProgram) {
    events_->onTick = [] { throw PlatformError(errnum::overflow); };
    test::MessageBoxWatcher watcher(::GetCurrentProcessId(), 30000);
    show();
    const auto record = pump(30000, [&] { return form_->handle() == nullptr; });
    const auto seen = watcher.result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->title, L"Trevanil");
    EXPECT_EQ(seen->text, L"6 Desbordamiento");
    EXPECT_EQ(form_->handle(), nullptr);
    EXPECT_TRUE(record.quit || pump(300).quit);
}

}  // namespace
}  // namespace trevanil::win32

// The main window on Win32: a fixed-border top-level window with two list
// boxes, a progress bar and two timers, laid out from the design's twips at
// the window's DPI.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/form_design.h"
#include "platform/error.h"
#include "platform/form.h"
#include "platform/win32/list_box.h"
#include "platform/win32/progress_bar.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/win32_timer.h"

namespace trevanil::win32 {

inline constexpr wchar_t kFormClassName[] = L"TrevanilForm";

// Registers the window class for the life of the form; the class icons are
// the program's icon resource, when the executable has one.
class FormClass {
public:
    FormClass(HINSTANCE instance, WNDPROC procedure, int iconId);
    ~FormClass();
    FormClass(const FormClass&) = delete;
    FormClass& operator=(const FormClass&) = delete;

    const wchar_t* name() const noexcept;

private:
    HINSTANCE instance_;
    unique_hicon large_, small_;
};

class Win32Form final : public Form {
public:
    inline static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    inline static constexpr DWORD kExStyle = 0;

    // Whether the window is ever shown: an unattended run keeps it hidden and
    // shows no message box either.
    enum class Display { shown, never };

    // Creates the window hidden from its design (which must outlive it),
    // with its controls filled and laid out, and starts Timer2. Raises 429
    // when a control cannot be created (the common controls must be
    // initialised first). A window never shown gets no icon and no controls:
    // the lists' items and the bar's value are kept without them.
    Win32Form(HINSTANCE instance, int iconId, const FormDesign& design, Display made = Display::shown);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    // Hands the window's events to their handlers, runs Form_Load, then shows
    // the window and gives List1 the focus.
    void load(FormEvents& events, int showCommand, Display display = Display::shown);

    // The error that ended the program from a handler that did not trap it.
    const std::optional<PlatformError>& untrapped() const noexcept { return untrapped_; }
    Display made() const noexcept { return made_; }

    HWND handle() const noexcept { return window_.get(); }  // null once gone
    int dpi() const noexcept { return dpi_; }

    std::string caption() const override;
    void setCaption(const std::string& text) override;
    std::int32_t hWnd() const override;
    Win32ListBox& List1() override { return list1_; }
    Win32ListBox& List2() override { return list2_; }
    Win32ProgressBar& ProgressBar1() override { return progressBar1_; }
    Win32Timer& Timer1() override { return timer1_; }
    Win32Timer& Timer2() override { return timer2_; }
    void unload() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT onTimer(UINT_PTR id);
    LRESULT onClose();
    LRESULT onQueryEndSession(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT onDestroy();
    LRESULT onNcDestroy(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT onDpiChanged(WPARAM dpis, const RECT* suggested);
    LRESULT onActivate(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT onSetFocus();

    void endUntrapped(const PlatformError& error);
    void forgetWindow() noexcept;
    void createControls(HINSTANCE instance);
    void layoutControls();
    void placeCentred();

    const FormDesign& design_;
    FormClass class_;
    unique_hfont font_;  // outlives the window, whose lists use it
    unique_hwnd window_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    Win32ListBox list1_, list2_;
    Win32ProgressBar progressBar1_;
    Win32Timer timer1_, timer2_;
    FormEvents* events_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left
    bool inTimer2_ = false;
    Display made_;  // whether the window was made to be shown
    Display display_ = Display::shown;
    std::optional<PlatformError> untrapped_;
};

}  // namespace trevanil::win32

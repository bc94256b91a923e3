#include "platform/win32/form_window.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "platform/error.h"
#include "platform/resume_next.h"
#include "platform/win32/dpi.h"
#include "platform/win32/form_font.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shutdown_block.h"
#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

constexpr const wchar_t* kClassName = kFormClassName;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTimer2 = 2;
constexpr int kList1Id = 101;
constexpr int kProgressBar1Id = 102;
constexpr int kList2Id = 103;
// Shown by Windows beside the program when it refuses a logoff or shutdown.
constexpr wchar_t kPassReason[] = L"Registrando componentes";

// Exact heights: no rounding down to whole items.
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | WS_TABSTOP |
                             LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
constexpr DWORD kProgressStyle = WS_CHILD | WS_VISIBLE;

HICON loadIcon(HINSTANCE instance, int iconId, int sizeMetric) {
    if (iconId == 0) return nullptr;
    const int size = ::GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HWND createChild(HWND parent, HINSTANCE instance, const wchar_t* className, DWORD style, int id) {
    const HWND child = ::CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (child == nullptr) throw PlatformError(errnum::cannotCreateObject);
    return child;
}

void place(HWND control, const PixelRect& r) {
    ::SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool isChildOf(HWND parent, HWND window) { return window != nullptr && ::IsChild(parent, window); }

}  // namespace

FormClass::FormClass(HINSTANCE instance, WNDPROC procedure, int iconId)
    : instance_(instance),
      large_(loadIcon(instance, iconId, SM_CXICON)),
      small_(loadIcon(instance, iconId, SM_CXSMICON)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = large_.get();
    wc.hIconSm = small_.get();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw PlatformError(errnum::cannotCreateObject);
    }
}

FormClass::~FormClass() { ::UnregisterClassW(kClassName, instance_); }

const wchar_t* FormClass::name() const noexcept { return kClassName; }

Win32Form::Win32Form(HINSTANCE instance, int iconId, const FormDesign& design, Display made)
    : design_(design),
      class_(instance, &Win32Form::windowProc, made == Display::shown ? iconId : 0),
      progressBar1_(design_.progressMin, design_.progressMax),
      timer1_(kTimer1, design_.timer1),
      timer2_(kTimer2, design_.timer2),
      made_(made) {
    const HWND window = ::CreateWindowExW(kExStyle, class_.name(), toWide(design_.caption).c_str(), kStyle,
                                          CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
    if (window == nullptr) throw PlatformError(errnum::cannotCreateObject);
    window_.reset(window);
    try {
        if (made == Display::never) {
            for (const std::string_view item : design_.items) {
                list1_.addItem(item);
                list2_.addItem(item);
            }
        } else {
            dpi_ = dpiForWindow(window);
            createControls(instance);
            layoutControls();
            placeCentred();
        }
    } catch (...) {
        forgetWindow();
        throw;
    }
    timer1_.attach(window);
    timer2_.attach(window);  // counts from now
}

// The window goes without its handlers: the program is past its end.
Win32Form::~Win32Form() { forgetWindow(); }

void Win32Form::forgetWindow() noexcept {
    if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

// Tab order is creation order: List1, ProgressBar1 (no tab stop), List2.
void Win32Form::createControls(HINSTANCE instance) {
    const HWND window = window_.get();
    list1_.attach(createChild(window, instance, L"LISTBOX", kListStyle, kList1Id));
    progressBar1_.attach(createChild(window, instance, PROGRESS_CLASSW, kProgressStyle, kProgressBar1Id));
    list2_.attach(createChild(window, instance, L"LISTBOX", kListStyle, kList2Id));
    for (const std::string_view item : design_.items) {
        list1_.addItem(item);
        list2_.addItem(item);
    }
}

// Every control's rectangle and the lists' font, at the window's DPI.
void Win32Form::layoutControls() {
    const FormLayout layout = layoutAt(design_, dpi_);
    unique_hfont font = createFormFont(design_, layout.fontHeight);
    for (const HWND list : {list1_.handle(), list2_.handle()}) {
        ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    font_ = std::move(font);  // the old font goes only once no control uses it
    place(list1_.handle(), layout.list1);
    place(progressBar1_.handle(), layout.progressBar1);
    place(list2_.handle(), layout.list2);
}

// Centred on the primary screen (the taskbar does not count), frame around
// the exact client; a window larger than the screen keeps its title bar on it.
void Win32Form::placeCentred() {
    const FormLayout layout = layoutAt(design_, dpi_);
    const RECT frame = windowRectForClient(layout.clientWidth, layout.clientHeight, kStyle, kExStyle, dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(window_.get(), nullptr, left > 0 ? left : 0, top > 0 ? top : 0, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::load(FormEvents& events, int showCommand, Display display) {
    events_ = &events;
    display_ = display;
    events.Form_Load();
    const HWND window = window_.get();
    if (window == nullptr || display == Display::never) return;  // unloaded by its own load handler, or hidden
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);
    ::SetFocus(list1_.handle());
}

std::string Win32Form::caption() const {
    const HWND window = window_.get();
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return toUtf8(text);
}

void Win32Form::setCaption(const std::string& text) {
    if (!::SetWindowTextW(window_.get(), toWide(text).c_str())) throw PlatformError(errnum::invalidArgument);
}

// Window handles carry 32 significant bits on 64-bit Windows too.
std::int32_t Win32Form::hWnd() const {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window_.get()));
}

void Win32Form::unload() { window_.reset(); }

LRESULT CALLBACK Win32Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->handleMessage(window, message, wParam, lParam);
}

LRESULT Win32Form::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: return onTimer(wParam);
    case WM_CLOSE: return onClose();
    case WM_QUERYENDSESSION: return onQueryEndSession(window, wParam, lParam);
    case WM_DESTROY: return onDestroy();
    case WM_NCDESTROY: return onNcDestroy(window, wParam, lParam);
    case WM_DPICHANGED: return onDpiChanged(wParam, reinterpret_cast<const RECT*>(lParam));
    case WM_ACTIVATE: return onActivate(window, wParam, lParam);
    case WM_SETFOCUS: return onSetFocus();
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// Timer1 has no handler. Timer2's event is not delivered again while its
// handler runs (the pass pumps events and the timer is still armed then).
// While it runs, Windows has the reason the session may not end yet.
LRESULT Win32Form::onTimer(UINT_PTR id) {
    if (id != timer2_.id() || events_ == nullptr || inTimer2_) return 0;
    inTimer2_ = true;
    trapErrors([&] {
        const ShutdownBlock block(window_.get(), kPassReason);
        events_->Timer2_Timer();
    }, [&](const PlatformError& e) { endUntrapped(e); });
    inTimer2_ = false;
    return 0;
}

// An error that the handler did not trap is reported, then the program ends.
void Win32Form::endUntrapped(const PlatformError& error) {
    untrapped_ = error;
    if (display_ == Display::shown) reportUntrapped(window_.get(), error);
    unload();
    ::PostQuitMessage(0);
}

// A close request is refused while the owner says so (during the pass).
LRESULT Win32Form::onClose() {
    if (events_ == nullptr || events_->canClose()) unload();
    return 0;
}

// A logoff or shutdown is refused while a close is (during the pass): it
// would leave components copied and not registered.
LRESULT Win32Form::onQueryEndSession(HWND window, WPARAM wParam, LPARAM lParam) {
    if (events_ != nullptr && !events_->canClose()) return FALSE;
    return ::DefWindowProcW(window, WM_QUERYENDSESSION, wParam, lParam);
}

// The program ends when its window is gone.
LRESULT Win32Form::onDestroy() {
    ::PostQuitMessage(0);
    return 0;
}

LRESULT Win32Form::onNcDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    window_.release();  // already being destroyed
    timer1_.detach();
    timer2_.detach();
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return ::DefWindowProcW(window, WM_NCDESTROY, wParam, lParam);
}

// The system's message carries one DPI twice and the rectangle it suggests;
// one that does not (another program's) is ignored.
LRESULT Win32Form::onDpiChanged(WPARAM dpis, const RECT* suggested) {
    const int dpi = HIWORD(dpis);
    if (made_ == Display::never) return 0;  // nothing to lay out
    if (suggested == nullptr || dpi <= 0 || dpi != LOWORD(dpis)) return 0;
    if (suggested->right <= suggested->left || suggested->bottom <= suggested->top) return 0;
    dpi_ = dpi;
    layoutControls();
    ::SetWindowPos(window_.get(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

// Keeps the focused control across deactivation, as dialogs do.
LRESULT Win32Form::onActivate(HWND window, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (isChildOf(window, focus)) focus_ = focus;
    }
    return ::DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
}

LRESULT Win32Form::onSetFocus() {
    const HWND window = window_.get();
    ::SetFocus(isChildOf(window, focus_) ? focus_ : list1_.handle());
    return 0;
}

}  // namespace trevanil::win32

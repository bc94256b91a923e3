#include "platform/win32/shell_launch.h"

#include <windows.h>

#include <exdisp.h>
#include <objbase.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include <memory>
#include <new>
#include <string>
#include <utility>

#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoUninitializeFn = void(WINAPI*)();

constexpr CLSID kShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// A call that answers an interface through its last parameter; empty when
// it fails.
template <class I, class Call>
unique_com<I> obtain(Call call) {
    void* raw = nullptr;
    const HRESULT hr = call(&raw);
    unique_com<I> owned(static_cast<I*>(raw));
    if (hr != S_OK) owned.reset();
    return owned;
}

template <class I>
unique_com<I> queryInterface(IUnknown* from) {
    return obtain<I>([from](void** out) { return from->QueryInterface(__uuidof(I), out); });
}

VARIANT textVariant(const unique_bstr& text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = text.get();
    return v;
}

// The call never reached the shell's process: it had gone before (Wine's
// desktop ends with the last window of its session).
bool notDelivered(HRESULT hr) {
    return hr == RPC_E_DISCONNECTED || hr == CO_E_OBJNOTCONNECTED || hr == RPC_E_SERVER_DIED_DNE ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
}

using Job = std::function<void(bool)>;

// The worker's own apartment (multithreaded: it pumps no messages) and its
// own hold on the COM libraries.
DWORD WINAPI comWorker(void* parameter) {
    const std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    const unique_hmodule ole32 = loadSystemLibrary(L"ole32.dll");
    const unique_hmodule oleaut32 = loadSystemLibrary(L"oleaut32.dll");
    const auto initialize = systemProc<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    if (ole32 && oleaut32 && initialize != nullptr && SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED))) {
        (*job)(true);
        const auto uninitialize = systemProc<CoUninitializeFn>(L"ole32.dll", "CoUninitialize");
        if (uninitialize != nullptr) uninitialize();
    } else {
        (*job)(false);
    }
    return 0;
}

}  // namespace

DesktopShell::DesktopShell() noexcept
    : create_(systemProc<CoCreateInstanceFn>(L"ole32.dll", "CoCreateInstance")),
      allocate_(systemProc<SysAllocStringFn>(L"oleaut32.dll", "SysAllocString")) {}

bool DesktopShell::usable() const noexcept { return create_ != nullptr && allocate_ != nullptr; }

// The shell windows, the desktop's browser, its view's background object,
// and the Shell.Application behind it.
bool DesktopShell::find() {
    shell_.reset();
    const auto create = create_;
    const auto windows = obtain<IShellWindows>([create](void** out) {
        return create(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows), out);
    });
    if (!windows) return false;
    VARIANT desktop{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT noRoot{};
    LONG window = 0;
    const auto browserObject = obtain<IDispatch>([&](void** out) {
        return windows.get()->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                           reinterpret_cast<IDispatch**>(out));
    });
    if (!browserObject) return false;
    const auto services = queryInterface<IServiceProvider>(browserObject.get());
    if (!services) return false;
    const auto browser = obtain<IShellBrowser>([&services](void** out) {
        return services.get()->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser), out);
    });
    if (!browser) return false;
    const auto view = obtain<IShellView>([&browser](void** out) {
        return browser.get()->QueryActiveShellView(reinterpret_cast<IShellView**>(out));
    });
    if (!view) return false;
    const auto background = obtain<IDispatch>([&view](void** out) {
        return view.get()->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), out);
    });
    if (!background) return false;
    const auto folderView = queryInterface<IShellFolderViewDual>(background.get());
    if (!folderView) return false;
    const auto application = obtain<IDispatch>([&folderView](void** out) {
        return folderView.get()->get_Application(reinterpret_cast<IDispatch**>(out));
    });
    if (!application) return false;
    shell_ = queryInterface<IShellDispatch2>(application.get());
    return static_cast<bool>(shell_);
}

DesktopShell::Answer DesktopShell::ask(const std::wstring& program, const std::wstring& arguments,
                                       const std::wstring& folder, int show) {
    const unique_bstr file(allocate_(program.c_str()));
    const unique_bstr parameters(allocate_(arguments.c_str()));
    const unique_bstr directory(allocate_(folder.c_str()));
    const unique_bstr verb(allocate_(L"open"));
    if (!file || !parameters || !directory || !verb) return Answer::refused;
    VARIANT shown{};
    shown.vt = VT_I4;
    shown.lVal = show;
    const HRESULT hr = shell_.get()->ShellExecute(file.get(), textVariant(parameters), textVariant(directory),
                                                  textVariant(verb), shown);
    if (notDelivered(hr)) return Answer::gone;
    return SUCCEEDED(hr) ? Answer::started : Answer::refused;
}

unique_handle startComWorker(std::function<void(bool com)> job) {
    Job* const parameter = new (std::nothrow) Job(std::move(job));
    if (parameter == nullptr) return {};
    unique_handle thread(::CreateThread(nullptr, 0, &comWorker, parameter, 0, nullptr));
    if (!thread) delete parameter;
    return thread;
}

bool threadEnded(HANDLE thread, ULONGLONG deadline) {
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

DWORD shellProcessId() {
    const HWND shell = ::GetShellWindow();
    DWORD id = 0;
    if (shell != nullptr) ::GetWindowThreadProcessId(shell, &id);
    return id;
}

void letShellTakeForeground() {
    const DWORD shell = shellProcessId();
    if (shell != 0) ::AllowSetForegroundWindow(shell);
}

}  // namespace trevanil::win32

#include "platform/win32/shell_launch.h"

#include <windows.h>

#include <exdisp.h>
#include <objbase.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include <new>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);
using SysFreeStringFn = void(WINAPI*)(BSTR);

constexpr CLSID kShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// The shell's calls cross into another process, which may hang: the caller
// waits this long for it to be reached.
constexpr DWORD kShellWaitMs = 5000;

template <class I>
struct comPolicy {
    using type = I*;
    static I* empty() noexcept { return nullptr; }
    static bool isEmpty(I* p) noexcept { return p == nullptr; }
    static void close(I* p) noexcept { p->Release(); }
};
template <class I>
using unique_com = unique_any<comPolicy<I>>;

struct bstrPolicy {
    using type = BSTR;
    static BSTR empty() noexcept { return nullptr; }
    static bool isEmpty(BSTR b) noexcept { return b == nullptr; }
    static void close(BSTR b) noexcept {
        const auto free = systemProc<SysFreeStringFn>(L"oleaut32.dll", "SysFreeString");
        if (free != nullptr) free(b);
    }
};
using unique_bstr = unique_any<bstrPolicy>;

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

// The worker's progress. Until the shell is asked to start the program the
// caller may give up, and then starts it itself; once asked, the shell may
// start it however late, and a second copy must not be started.
constexpr LONG kFinding = 0;
constexpr LONG kAsking = 1;
constexpr LONG kAbandoned = 2;

// Filled by the caller, read and answered by the worker; freed by whichever
// of the two lets go last.
struct Request {
    std::wstring program, arguments, folder;
    int show = SW_SHOWNORMAL;
    volatile LONG owners = 2;
    volatile LONG stage = kFinding;
    bool started = false;  // read by the caller only after the worker ended
};

void letGo(Request* request) {
    if (::InterlockedDecrement(&request->owners) == 0) delete request;
}

// The desktop window's automation object, as a user's script would reach
// it: the shell windows, the desktop's browser, its view's background
// object, and the Shell.Application behind it.
unique_com<IShellDispatch2> desktopShell(CoCreateInstanceFn create) {
    const auto windows = obtain<IShellWindows>([create](void** out) {
        return create(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows), out);
    });
    if (!windows) return {};
    VARIANT desktop{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT noRoot{};
    LONG window = 0;
    const auto browserObject = obtain<IDispatch>([&](void** out) {
        return windows.get()->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                           reinterpret_cast<IDispatch**>(out));
    });
    if (!browserObject) return {};
    const auto services = queryInterface<IServiceProvider>(browserObject.get());
    if (!services) return {};
    const auto browser = obtain<IShellBrowser>([&services](void** out) {
        return services.get()->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser), out);
    });
    if (!browser) return {};
    const auto view = obtain<IShellView>([&browser](void** out) {
        return browser.get()->QueryActiveShellView(reinterpret_cast<IShellView**>(out));
    });
    if (!view) return {};
    const auto background = obtain<IDispatch>([&view](void** out) {
        return view.get()->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), out);
    });
    if (!background) return {};
    const auto folderView = queryInterface<IShellFolderViewDual>(background.get());
    if (!folderView) return {};
    const auto application = obtain<IDispatch>([&folderView](void** out) {
        return folderView.get()->get_Application(reinterpret_cast<IDispatch**>(out));
    });
    if (!application) return {};
    return queryInterface<IShellDispatch2>(application.get());
}

VARIANT textVariant(const unique_bstr& text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = text.get();
    return v;
}

bool startThroughDesktop(Request& request) {
    const auto create = systemProc<CoCreateInstanceFn>(L"ole32.dll", "CoCreateInstance");
    const auto allocate = systemProc<SysAllocStringFn>(L"oleaut32.dll", "SysAllocString");
    if (create == nullptr || allocate == nullptr) return false;
    const auto shell = desktopShell(create);
    if (!shell) return false;
    const unique_bstr program(allocate(request.program.c_str()));
    const unique_bstr arguments(allocate(request.arguments.c_str()));
    const unique_bstr folder(allocate(request.folder.c_str()));
    const unique_bstr verb(allocate(L"open"));
    if (!program || !arguments || !folder || !verb) return false;
    if (::InterlockedCompareExchange(&request.stage, kAsking, kFinding) != kFinding) return false;
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = request.show;
    return SUCCEEDED(shell.get()->ShellExecute(program.get(), textVariant(arguments), textVariant(folder),
                                               textVariant(verb), show));
}

// The worker's own apartment (multithreaded: it pumps no messages) and its
// own hold on the COM libraries, so that nothing it uses goes away if the
// caller stops waiting.
DWORD WINAPI shellWorker(void* parameter) {
    Request* request = static_cast<Request*>(parameter);
    const unique_hmodule ole32 = loadSystemLibrary(L"ole32.dll");
    const unique_hmodule oleaut32 = loadSystemLibrary(L"oleaut32.dll");
    const auto initialize = systemProc<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    if (ole32 && oleaut32 && initialize != nullptr && SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED))) {
        request->started = startThroughDesktop(*request);
        const auto uninitialize = systemProc<CoUninitializeFn>(L"ole32.dll", "CoUninitialize");
        if (uninitialize != nullptr) uninitialize();
    }
    letGo(request);
    return 0;
}

// Waits for the worker; messages sent from other threads or programs are
// answered meanwhile (a window of this thread must not hold up the shell),
// posted ones wait for the program's own loop.
bool workerEnded(HANDLE worker, DWORD limitMs) {
    const ULONGLONG deadline = ::GetTickCount64() + limitMs;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        const DWORD wait =
            ::MsgWaitForMultipleObjects(1, &worker, FALSE, static_cast<DWORD>(deadline - now), QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

bool launchThroughShell(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                        int show) {
    Request* request = new (std::nothrow) Request;
    if (request == nullptr) return false;
    try {
        request->program = program;
        request->arguments = arguments;
        request->folder = folder;
    } catch (const std::bad_alloc&) {
        delete request;
        return false;
    }
    request->show = show;
    unique_handle worker(::CreateThread(nullptr, 0, &shellWorker, request, 0, nullptr));
    if (!worker) {
        delete request;
        return false;
    }
    // The shell's process takes the foreground for the editor it starts.
    ::AllowSetForegroundWindow(ASFW_ANY);
    bool started = true;  // by a shell that was asked and has not answered yet
    if (workerEnded(worker.get(), kShellWaitMs)) {
        started = request->started;
    } else if (::InterlockedCompareExchange(&request->stage, kAbandoned, kFinding) == kFinding) {
        started = false;
    } else if (workerEnded(worker.get(), kShellWaitMs)) {
        started = request->started;
    }
    letGo(request);
    return started;
}

}  // namespace trevanil::win32

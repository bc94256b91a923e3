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

#include "platform/shell_token.h"
#include "platform/win32/strings.h"
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
constexpr DWORD kRetryMs = 50;

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
// caller may give up, and then starts it another way; once asked, the shell
// may start it however late, and a second copy must not be started.
constexpr LONG kFinding = 0;   // looking for the shell's object
constexpr LONG kReady = 1;     // found, waiting for the request
constexpr LONG kAsking = 2;    // the shell is being asked
constexpr LONG kAbandoned = 3;

}  // namespace

// Filled by the caller, read and answered by the worker; freed by whichever
// of the two lets go last.
struct ShellRequest {
    std::wstring program, arguments, folder;
    int show = SW_SHOWNORMAL;
    unique_handle given{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set once the request is filled
    volatile LONG owners = 2;
    volatile LONG stage = kFinding;
    ULONGLONG deadline = 0;  // for the shell to be reached
    bool started = false;  // read by the caller only after the worker ended
};

namespace {

using Request = ShellRequest;

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

// The desktop's shell, asked again until the caller's wait is over: one
// that has only just started (Wine's starts with the first window of the
// session) serves its object a little later. Empty when none was found.
unique_com<IShellDispatch2> foundShell(const Request& request, CoCreateInstanceFn create) {
    for (;;) {
        auto shell = desktopShell(create);
        if (shell) return shell;
        if (request.stage == kAbandoned || ::GetTickCount64() + kRetryMs >= request.deadline) return {};
        ::Sleep(kRetryMs);
    }
}

// The call never reached the shell's process: it had gone before (Wine's
// desktop ends with the last window of its session).
bool notDelivered(HRESULT hr) {
    return hr == RPC_E_DISCONNECTED || hr == CO_E_OBJNOTCONNECTED || hr == RPC_E_SERVER_DIED_DNE ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
}

// Finds the shell, then waits for the request; false when the shell was not
// found, the caller gave up first, or the shell refused.
bool startThroughDesktop(Request& request) {
    const auto create = systemProc<CoCreateInstanceFn>(L"ole32.dll", "CoCreateInstance");
    const auto allocate = systemProc<SysAllocStringFn>(L"oleaut32.dll", "SysAllocString");
    if (create == nullptr || allocate == nullptr) return false;
    auto shell = foundShell(request, create);
    if (!shell || ::InterlockedCompareExchange(&request.stage, kReady, kFinding) != kFinding) return false;
    ::WaitForSingleObject(request.given.get(), INFINITE);
    const unique_bstr program(allocate(request.program.c_str()));
    const unique_bstr arguments(allocate(request.arguments.c_str()));
    const unique_bstr folder(allocate(request.folder.c_str()));
    const unique_bstr verb(allocate(L"open"));
    if (!program || !arguments || !folder || !verb) return false;
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = request.show;
    for (;;) {
        if (::InterlockedCompareExchange(&request.stage, kAsking, kReady) != kReady) return false;
        const HRESULT hr = shell.get()->ShellExecute(program.get(), textVariant(arguments), textVariant(folder),
                                                     textVariant(verb), show);
        if (!notDelivered(hr)) return SUCCEEDED(hr);
        // Not asked after all: the shell that took its place is, within the
        // caller's wait.
        if (::InterlockedCompareExchange(&request.stage, kReady, kAsking) != kAsking) return false;
        shell = foundShell(request, create);
        if (!shell) return false;
    }
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

// Waits for the worker until `deadline` (a tick count); messages sent from
// other threads or programs are answered meanwhile (a window of this thread
// must not hold up the shell), posted ones wait for the program's own loop.
bool workerEnded(HANDLE worker, ULONGLONG deadline) {
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &worker, FALSE, left, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// The process behind the desktop's shell window; 0 when there is none.
DWORD shellProcessId() {
    const HWND shell = ::GetShellWindow();
    DWORD id = 0;
    if (shell != nullptr) ::GetWindowThreadProcessId(shell, &id);
    return id;
}

bool gaveUp(Request& request, LONG from) {
    return ::InterlockedCompareExchange(&request.stage, kAbandoned, from) == from;
}

using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using DuplicateTokenExFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL,
                                         TOKEN_TYPE, PHANDLE);
using CreateProcessWithTokenWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                                LPSTARTUPINFOW, LPPROCESS_INFORMATION);
using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
using ConvertSidToStringSidWFn = BOOL(WINAPI*)(PSID, LPWSTR*);

// A process's token, as a primary token of its own; empty when it cannot be had.
unique_handle primaryTokenOf(HANDLE process, OpenProcessTokenFn open, DuplicateTokenExFn duplicate) {
    HANDLE raw = nullptr;
    if (!open(process, TOKEN_DUPLICATE | TOKEN_QUERY, &raw)) return {};
    const unique_handle token(raw);
    HANDLE copy = nullptr;
    constexpr DWORD access = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                             TOKEN_ADJUST_SESSIONID;
    if (!duplicate(token.get(), access, nullptr, SecurityImpersonation, TokenPrimary, &copy)) return {};
    return unique_handle(copy);
}

// What a token says of itself (advapi32 loaded); what the system does not
// tell stays unknown.
ShellToken describe(HANDLE token) {
    ShellToken described;
    const auto query = systemProc<GetTokenInformationFn>(L"advapi32.dll", "GetTokenInformation");
    const auto sidText = systemProc<ConvertSidToStringSidWFn>(L"advapi32.dll", "ConvertSidToStringSidW");
    if (query == nullptr) return described;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (query(token, TokenElevation, &elevation, sizeof elevation, &size)) {
        described.elevated = elevation.TokenIsElevated != 0;
    }
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    wchar_t* text = nullptr;
    if (sidText != nullptr && query(token, TokenUser, user, sizeof user, &size) &&
        sidText(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &text)) {
        const unique_hlocal owned(text);
        described.user = toUtf8(text);
    }
    return described;
}

}  // namespace

void ShellRoute::start() {
    if (started_) return;
    started_ = true;
    deadline_ = ::GetTickCount64() + kShellWaitMs;
    Request* request = new (std::nothrow) Request;
    if (request == nullptr) return;
    if (!request->given) {
        delete request;
        return;
    }
    request->deadline = deadline_;
    worker_.reset(::CreateThread(nullptr, 0, &shellWorker, request, 0, nullptr));
    if (!worker_) {
        delete request;
        return;
    }
    request_ = request;
}

ShellRoute::~ShellRoute() {
    if (request_ == nullptr) return;
    if (!asked_) {
        // A worker still looking, or waiting, ends without asking.
        ::InterlockedExchange(&request_->stage, kAbandoned);
        ::SetEvent(request_->given.get());
    }
    letGo(request_);
}

void ShellRoute::ask(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                     int show) {
    start();
    if (request_ == nullptr || asked_) return;
    request_->program = program;
    request_->arguments = arguments;
    request_->folder = folder;
    request_->show = show;
    asked_ = true;
    ::SetEvent(request_->given.get());
    // The shell's process takes the foreground for the program it starts.
    const DWORD shell = shellProcessId();
    if (shell != 0) ::AllowSetForegroundWindow(shell);
}

bool ShellRoute::answered() {
    if (request_ == nullptr || !asked_) return false;
    if (workerEnded(worker_.get(), deadline_)) return request_->started;
    if (gaveUp(*request_, kFinding)) return false;  // no shell reached in time
    // Reached: the request itself is given the same time again.
    if (workerEnded(worker_.get(), ::GetTickCount64() + kShellWaitMs)) return request_->started;
    return !gaveUp(*request_, kReady);  // asked: it may still start it
}

bool startWithShellToken(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                         int show) {
    const DWORD shell = shellProcessId();
    if (shell == 0) return false;
    const unique_hmodule advapi32 = loadSystemLibrary(L"advapi32.dll");  // not among the program's imports
    const auto open = systemProc<OpenProcessTokenFn>(L"advapi32.dll", "OpenProcessToken");
    const auto duplicate = systemProc<DuplicateTokenExFn>(L"advapi32.dll", "DuplicateTokenEx");
    const auto create = systemProc<CreateProcessWithTokenWFn>(L"advapi32.dll", "CreateProcessWithTokenW");
    if (!advapi32 || open == nullptr || duplicate == nullptr || create == nullptr) return false;
    const unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shell));
    // Read again once the process is held: an id freed in between may have
    // been given to another process.
    if (!process || shellProcessId() != shell) return false;
    const unique_handle token = primaryTokenOf(process.get(), open, duplicate);
    if (!token || !viewerMayUse(describe(token.get()))) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION info{};
    if (!create(token.get(), 0, program.c_str(), commandLine.data(), 0, nullptr, folder.c_str(), &startup, &info)) {
        return false;
    }
    const unique_handle started(info.hProcess);
    const unique_handle thread(info.hThread);
    return true;
}

bool runsElevated() {
    const unique_hmodule advapi32 = loadSystemLibrary(L"advapi32.dll");
    const auto open = systemProc<OpenProcessTokenFn>(L"advapi32.dll", "OpenProcessToken");
    HANDLE raw = nullptr;
    if (!advapi32 || open == nullptr || !open(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;
    const unique_handle token(raw);
    return describe(token.get()).elevated.value_or(true);
}

}  // namespace trevanil::win32

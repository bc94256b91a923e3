// Times one run of a program under test, from outside it.
//   probe program <exe> [arguments]   start to first visible window, start to
//                                     exit; also the three moments on the
//                                     clock of Wine's +timestamp traces (ms)
//   probe stalled <ms> <exe>          the same, with the desktop shell
//                                     (explorer.exe) stopped for <ms> from
//                                     the moment the window shows (under Wine
//                                     the window itself needs the shell)
//   probe work <appdir> <windir> <name>...
//                                     the components' work alone, in this
//                                     process: copy each into System32, then
//                                     load each from System, call its
//                                     DllRegisterServer and release it
//   probe usual <appdir> <windir> <name>...
//                                     the usual way: copy and regsvr32 /s
//                                     per component, one process each
// Prints key=value lines.
#include <windows.h>

#include <ole2.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD pid;
    bool found;
};

BOOL CALLBACK findVisible(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && IsWindowVisible(hwnd)) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

bool start(std::wstring commandLine, const wchar_t* folder, PROCESS_INFORMATION& pi) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi) != 0;
}

// The desktop shell's processes, stopped or let go again.
class StoppedShell {
public:
    StoppedShell() {
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (_wcsicmp(entry.szExeFile, L"explorer.exe") != 0) continue;
            const HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, entry.th32ProcessID);
            if (process != nullptr) shells_.push_back(process);
        }
        CloseHandle(snapshot);
        each("NtSuspendProcess");
    }
    void resume() {
        each("NtResumeProcess");
        for (const HANDLE shell : shells_) CloseHandle(shell);
        shells_.clear();
    }
    ~StoppedShell() { resume(); }

private:
    void each(const char* call) const {
        const FARPROC proc = GetProcAddress(GetModuleHandleW(L"ntdll"), call);
        const auto apply = reinterpret_cast<LONG(WINAPI*)(HANDLE)>(reinterpret_cast<void (*)()>(proc));
        for (const HANDLE shell : shells_) apply(shell);
    }
    std::vector<HANDLE> shells_;
};

int runProgram(const wchar_t* exe, const std::wstring& arguments, double stallMs = -1) {
    std::wstring folder = exe;
    folder.erase(folder.find_last_of(L'\\'));
    PROCESS_INFORMATION pi{};
    StoppedShell* stalled = nullptr;
    double stalledAt = 0;
    const double t0 = nowMs();
    if (!start(L"\"" + std::wstring(exe) + L"\"" + arguments, folder.c_str(), pi)) return 2;
    double window = -1;
    Search s{pi.dwProcessId, false};
    while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
        if (stalled != nullptr && nowMs() - stalledAt >= stallMs) {
            delete stalled;
            stalled = nullptr;
        }
        if (window < 0) {
            EnumWindows(findVisible, reinterpret_cast<LPARAM>(&s));
            if (s.found) window = nowMs() - t0;
            if (s.found && stallMs > 0) {
                stalled = new StoppedShell;
                stalledAt = nowMs();
            }
        }
    }
    const double exit = nowMs() - t0;
    delete stalled;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::printf("window_ms=%.1f\nexit_ms=%.1f\nt0_at=%.1f\nwindow_at=%.1f\nexit_at=%.1f\n", window, exit, t0,
                window < 0 ? -1.0 : t0 + window, t0 + exit);
    return 0;
}

bool runAndWait(const std::wstring& commandLine) {
    PROCESS_INFORMATION pi{};
    if (!start(commandLine, nullptr, pi)) return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

int runUsual(const std::wstring& app, const std::wstring& windir, int count, wchar_t** names) {
    const double t0 = nowMs();
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const std::wstring name = names[i];
        failures += !runAndWait(L"cmd.exe /c copy /y \"" + app + L"\\" + name + L"\" \"" + windir + L"\\System32\\" +
                                name + L"\" >nul");
        failures += !runAndWait(L"regsvr32.exe /s \"" + windir + L"\\System\\" + name + L"\"");
    }
    std::printf("usual_ms=%.1f\nusual_failures=%d\n", nowMs() - t0, failures);
    return 0;
}

int runWork(const std::wstring& app, const std::wstring& windir, int count, wchar_t** names) {
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const double t0 = nowMs();
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        failures += !CopyFileW((app + L"\\" + names[i]).c_str(), (windir + L"\\System32\\" + names[i]).c_str(), FALSE);
    }
    OleInitialize(nullptr);  // what the components' entry points expect, as regsvr32 gives it
    for (int i = 0; i < count; ++i) {
        const HMODULE component = LoadLibraryW((windir + L"\\System\\" + names[i]).c_str());
        const auto entry = component != nullptr ? reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(
                                                      GetProcAddress(component, "DllRegisterServer")))
                                                : nullptr;
        failures += entry == nullptr || entry() != S_OK;
        if (component != nullptr) FreeLibrary(component);
    }
    OleUninitialize();
    std::printf("work_ms=%.1f\nwork_failures=%d\n", nowMs() - t0, failures);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (argc >= 3 && mode == L"program") {
        std::wstring arguments;
        for (int i = 3; i < argc; ++i) arguments += std::wstring(L" ") + argv[i];
        return runProgram(argv[2], arguments);
    }
    if (argc == 4 && mode == L"stalled") return runProgram(argv[3], L"", _wtof(argv[2]));
    if (argc >= 5 && mode == L"work") return runWork(argv[2], argv[3], argc - 4, argv + 4);
    if (argc >= 5 && mode == L"usual") return runUsual(argv[2], argv[3], argc - 4, argv + 4);
    std::fprintf(stderr, "usage: probe program <exe> [arguments] | stalled <ms> <exe> | work|usual <appdir> <windir> "
                         "<name>...\n");
    return 2;
}

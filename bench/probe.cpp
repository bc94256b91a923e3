// Times one run of a program under test, from outside it.
//   probe program <Trevanil.exe>      start to first visible window, start to
//                                     exit; also the three moments on the
//                                     clock of Wine's +timestamp traces (ms)
//   probe usual <appdir> <windir> <name>...
//                                     the usual way: copy and regsvr32 /s
//                                     per component, one process each
// Prints key=value lines.
#include <windows.h>

#include <cstdio>
#include <string>

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

int runProgram(const wchar_t* exe) {
    std::wstring folder = exe;
    folder.erase(folder.find_last_of(L'\\'));
    PROCESS_INFORMATION pi{};
    const double t0 = nowMs();
    if (!start(L"\"" + std::wstring(exe) + L"\"", folder.c_str(), pi)) return 2;
    double window = -1;
    Search s{pi.dwProcessId, false};
    while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
        if (window < 0) {
            EnumWindows(findVisible, reinterpret_cast<LPARAM>(&s));
            if (s.found) window = nowMs() - t0;
        }
    }
    const double exit = nowMs() - t0;
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"program") return runProgram(argv[2]);
    if (argc >= 5 && std::wstring(argv[1]) == L"usual") return runUsual(argv[2], argv[3], argc - 4, argv + 4);
    std::fprintf(stderr, "usage: probe program <exe> | probe usual <appdir> <windir> <name>...\n");
    return 2;
}

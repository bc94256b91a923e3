#include "platform/win32/system_services.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/win32/paths.h"
#include "platform/win32/shell_launch.h"
#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

// Reads a text whose length the system tells only by failing: the call gets
// a buffer and its size and answers the length written, or the size needed.
template <class Call>
std::wstring grownText(DWORD firstSize, Call call) {
    std::wstring buffer(firstSize, L'\0');
    for (;;) {
        const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n > buffer.size() ? n : buffer.size() * 2);
    }
}

std::wstring folderText(UINT (WINAPI* get)(LPWSTR, UINT)) {
    return grownText(MAX_PATH, [get](wchar_t* out, DWORD size) { return get(out, size); });
}

// The program a command line starts: its first token, quoted or not, and
// whether that is a bare name (no folder, no drive).
struct FirstToken {
    std::wstring text;
    bool bare = false;
    std::wstring rest;  // the arguments, as written
};

FirstToken firstToken(const std::wstring& commandLine) {
    FirstToken token;
    std::size_t start = commandLine.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return token;
    std::size_t end;
    if (commandLine[start] == L'"') {
        ++start;
        end = commandLine.find(L'"', start);
    } else {
        end = commandLine.find_first_of(L" \t", start);
    }
    if (end == std::wstring::npos) end = commandLine.size();
    token.text = commandLine.substr(start, end - start);
    const std::size_t afterToken = end < commandLine.size() && commandLine[end] == L'"' ? end + 1 : end;
    const std::size_t rest = commandLine.find_first_not_of(L" \t", afterToken);
    if (rest != std::wstring::npos) token.rest = commandLine.substr(rest);
    token.bare = !token.text.empty() && token.text.find_first_of(L"\\/:") == std::wstring::npos;
    return token;
}

// A bare program name is looked up in the system folder and nowhere else:
// the program runs elevated from a download folder, where a planted
// executable must never be picked up (so neither its own folder, the current
// one nor PATH). Empty when not found.
std::wstring safeProgramPath(std::wstring name, std::wstring systemFolder) {
    // As the system does for a command line: no extension means ".exe".
    if (name.find(L'.') == std::wstring::npos) name += L".exe";
    if (systemFolder.empty()) return {};
    if (systemFolder.back() != L'\\') systemFolder += L'\\';
    const std::wstring candidate = systemFolder + name;
    return isPlainFile(candidate) ? candidate : std::wstring();
}

// The program's path as the desktop shell must be given it. A 32-bit
// program on 64-bit Windows sees SysWOW64 under the system folder's name; the
// shell, a 64-bit process, would take that name for the 64-bit folder and
// start another file than the one checked here.
std::wstring shellPath(const std::wstring& program, const std::wstring& systemFolder) {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return program;
    const std::wstring wowFolder = folderText(&::GetSystemWow64DirectoryW);
    if (wowFolder.empty() || program.compare(0, systemFolder.size(), systemFolder) != 0) return {};
    return wowFolder + program.substr(systemFolder.size());
}

}  // namespace

std::string applicationPath() {
    std::wstring path = grownText(MAX_PATH, [](wchar_t* out, DWORD size) {
        const DWORD n = ::GetModuleFileNameW(nullptr, out, size);
        // A cut path fills the whole buffer: ask for a larger one.
        return n >= size ? size : n;
    });
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {};
    path.resize(cut);
    if (path.size() == 2 && path[1] == L':') path += L'\\';  // a drive root keeps its separator
    return toUtf8(path);
}

std::string environmentValue(std::string_view name) {
    const std::wstring wideName = toWide(name);
    return toUtf8(grownText(256, [&wideName](wchar_t* out, DWORD size) {
        return ::GetEnvironmentVariableW(wideName.c_str(), out, size);
    }));
}

void launch(const std::string& commandLine, WindowStyle style) {
    PreparedLaunch now;
    now.launch(commandLine, style);
    now.finish();
}

void PreparedLaunch::launch(const std::string& commandLine, WindowStyle style) {
    std::wstring line = toWide(commandLine);
    const FirstToken token = firstToken(line);
    std::wstring system = systemFolder();
    std::wstring program;
    if (token.bare) {
        program = safeProgramPath(token.text, system);
        if (program.empty()) throw PlatformError(errnum::fileNotFound);
    }
    const int show = style == WindowStyle::normalFocus ? SW_SHOWNORMAL : SW_HIDE;
    // The shell, a 64-bit process on 64-bit Windows, is given the path that
    // names the checked file in its view too.
    std::wstring shellProgram = program.empty() ? std::wstring() : shellPath(program, system);
    if (!shellProgram.empty() && throughShell_) route_.ask(shellProgram, token.rest, system, show);
    program_ = std::move(program);
    shellProgram_ = std::move(shellProgram);
    line_ = std::move(line);
    folder_ = std::move(system);
    show_ = show;
    launched_ = true;
}

void PreparedLaunch::finish() {
    if (!launched_) return;
    launched_ = false;
    if (route_.answered()) return;
    // The shell's own token, where the shell did not answer or refused.
    if (!shellProgram_.empty() && startWithShellToken(shellProgram_, line_, folder_, show_)) return;
    // The program's own token never starts it when that token is elevated.
    if (runsElevated()) return;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show_);
    PROCESS_INFORMATION info{};
    // The command line itself goes on exactly as given; only the program it
    // names is fixed beforehand. Its current folder is the system's, not the
    // download folder this one was started from.
    if (!::CreateProcessW(program_.empty() ? nullptr : program_.c_str(), line_.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, folder_.empty() ? nullptr : folder_.c_str(), &startup, &info)) {
        throw lastError(errnum::fileNotFound);
    }
    // No wait: the handles are only released.
    unique_handle process(info.hProcess);
    unique_handle thread(info.hThread);
}

PlatformError lastError(std::int32_t fallback) { return errorFromWin32(::GetLastError(), fallback); }

}  // namespace trevanil::win32

#include "platform/win32/system_services.h"

#include <windows.h>

#include <string>
#include <utility>

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

std::optional<std::wstring> wow64Folder() {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return std::nullopt;
    return folderText(&::GetSystemWow64DirectoryW);
}

void startProgram(const std::wstring& program, std::wstring commandLine, const std::wstring& folder, int show) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &info)) {
        throw lastError(errnum::fileNotFound);
    }
    // No wait: the handles are only released.
    unique_handle process(info.hProcess);
    unique_handle thread(info.hThread);
}

PlatformError lastError(std::int32_t fallback) { return errorFromWin32(::GetLastError(), fallback); }

}  // namespace trevanil::win32

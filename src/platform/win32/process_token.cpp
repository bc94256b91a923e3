#include "platform/win32/process_token.h"

#include <windows.h>

#include "platform/win32/advapi32.h"
#include "platform/win32/shell_launch.h"
#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

// A process's token, as a primary token of its own; empty when it cannot be had.
unique_handle primaryTokenOf(HANDLE process) {
    const Advapi32& advapi = advapi32();
    HANDLE raw = nullptr;
    if (advapi.openProcessToken == nullptr || advapi.duplicateTokenEx == nullptr ||
        !advapi.openProcessToken(process, TOKEN_DUPLICATE | TOKEN_QUERY, &raw)) {
        return {};
    }
    const unique_handle token(raw);
    HANDLE copy = nullptr;
    constexpr DWORD access = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                             TOKEN_ADJUST_SESSIONID;
    if (!advapi.duplicateTokenEx(token.get(), access, nullptr, SecurityImpersonation, TokenPrimary, &copy)) return {};
    return unique_handle(copy);
}

}  // namespace

ProcessToken ProcessToken::ofShell() {
    ProcessToken held;
    const DWORD shell = shellProcessId();
    if (shell == 0) return held;
    const unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shell));
    // Read again once the process is held: an id freed in between may have
    // been given to another process.
    if (!process || shellProcessId() != shell) return held;
    held.token_ = primaryTokenOf(process.get());
    return held;
}

ProcessToken ProcessToken::own() {
    ProcessToken held;
    const auto open = advapi32().openProcessToken;
    HANDLE raw = nullptr;
    if (open != nullptr && open(::GetCurrentProcess(), TOKEN_QUERY, &raw)) held.token_.reset(raw);
    return held;
}

std::optional<bool> ProcessToken::elevated() const {
    const auto query = advapi32().getTokenInformation;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!token_ || query == nullptr || !query(token_.get(), TokenElevation, &elevation, sizeof elevation, &size)) {
        return std::nullopt;
    }
    return elevation.TokenIsElevated != 0;
}

std::string ProcessToken::user() const {
    const Advapi32& advapi = advapi32();
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    wchar_t* text = nullptr;
    if (!token_ || advapi.getTokenInformation == nullptr || advapi.convertSidToStringSid == nullptr ||
        !advapi.getTokenInformation(token_.get(), TokenUser, user, sizeof user, &size) ||
        !advapi.convertSidToStringSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &text)) {
        return {};
    }
    const unique_hlocal owned(text);
    return toUtf8(text);
}

bool ProcessToken::start(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                         int show) const {
    const auto create = advapi32().createProcessWithToken;
    if (!token_ || create == nullptr) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION info{};
    if (!create(token_.get(), 0, program.c_str(), commandLine.data(), 0, nullptr, folder.c_str(), &startup, &info)) {
        return false;
    }
    const unique_handle started(info.hProcess);
    const unique_handle thread(info.hThread);
    return true;
}

}  // namespace trevanil::win32

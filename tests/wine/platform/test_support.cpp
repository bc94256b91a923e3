#include "test_support.h"

#include <windows.h>

#include <stdexcept>

#include "platform/win32/strings.h"
#include "platform/win32/unique_any.h"

namespace trevanil::test {

using win32::toUtf8;
using win32::toWide;

namespace {

std::string systemText(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(::GetLastError());
}

}  // namespace

TempFolder::TempFolder() {
    static unsigned counter = 0;
    wchar_t base[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error(systemText("GetTempPathW"));
    for (;;) {
        const std::wstring candidate = std::wstring(base) + L"trevanil-" + std::to_wstring(::GetCurrentProcessId()) +
                                       L"-" + std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(++counter);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = toUtf8(candidate);
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error(systemText("CreateDirectoryW"));
    }
}

TempFolder::~TempFolder() { removeTree(path_); }

void removeTree(const std::string& path) {
    const std::wstring wide = toWide(path);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((wide + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = wide + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(toUtf8(child));
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(wide.c_str());
}

std::string readFile(const std::string& path) {
    win32::unique_hfile file(::CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error(systemText("CreateFileW (read)"));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
    win32::unique_hfile file(::CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error(systemText("CreateFileW (write)"));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw std::runtime_error(systemText("WriteFile"));
    }
}

void makeFolder(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!folder) throw std::runtime_error(systemText("CreateDirectoryW"));
}

bool fileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void copyInto(const std::string& source, const std::string& destination) {
    if (!::CopyFileW(toWide(source).c_str(), toWide(destination).c_str(), FALSE)) {
        throw std::runtime_error(systemText("CopyFileW") + " for " + source);
    }
}

std::string env(const std::string& name) {
    std::wstring value(32768, L'\0');
    const DWORD n = ::GetEnvironmentVariableW(toWide(name).c_str(), value.data(), 32768);
    return n == 0 || n >= 32768 ? std::string() : toUtf8(value.substr(0, n));
}

std::string fixture(const std::string& name) {
    const std::string folder = env("TREVANIL_FIXTURES_DIR");
    if (folder.empty()) throw std::runtime_error("TREVANIL_FIXTURES_DIR is not set");
    return folder + "\\" + name;
}

bool waitFor(const std::function<bool()>& condition, unsigned limitMs) {
    const ULONGLONG end = ::GetTickCount64() + limitMs;
    while (!condition()) {
        if (::GetTickCount64() >= end) return condition();
        ::Sleep(20);
    }
    return true;
}

std::string ansiBytes(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, bytes.data(), n, nullptr, nullptr);
    return bytes;
}

bool ansiRepresentable(const std::wstring& text) {
    if (::GetACP() == CP_UTF8) return true;
    BOOL usedDefault = FALSE;
    const int size = static_cast<int>(text.size());
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    return usedDefault == FALSE;
}

}  // namespace trevanil::test

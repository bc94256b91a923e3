#include "program_run.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>

#include "platform/win32/strings.h"
#include "window_support.h"

namespace trevanil::test {

using win32::toWide;

namespace {

bool sameName(const std::wstring& entry, const std::wstring& name) {
    if (entry.size() <= name.size() || entry[name.size()] != L'=') return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::towupper(entry[i]) != std::towupper(name[i])) return false;
    }
    return true;
}

// This process's environment with the given variables replaced.
std::wstring environmentWith(const ProgramRun::Variables& variables) {
    std::vector<std::wstring> entries;
    const LPWCH block = ::GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) entries.emplace_back(p);
    ::FreeEnvironmentStringsW(block);
    for (const auto& [name, value] : variables) {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&name = name](const std::wstring& e) { return sameName(e, name); }),
                      entries.end());
        if (!value.empty()) entries.push_back(name + L"=" + value);
    }
    std::wstring result;
    for (const auto& e : entries) result += e + L'\0';
    return result + L'\0';
}

}  // namespace

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) result.push_back(text.substr(start));
    return result;
}

std::string expectedLog(const std::vector<bool>& registered) {
    std::string log;
    for (size_t i = 0; i < registered.size(); ++i) {
        log += std::string(kComponents[i]) + (registered[i] ? " Se registro exitosamente " : " Error; registrando ") + "\r\n";
    }
    return log;
}

namespace {

std::string folder(UINT(WINAPI* get)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH];
    const UINT n = get(buffer, MAX_PATH);
    return win32::toUtf8(std::wstring(buffer, n < MAX_PATH ? n : 0));
}

constexpr wchar_t kMachineRecords[] = L"Software\\Trevanil\\Fixtures";
constexpr wchar_t kSharedDlls[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr wchar_t kCounted[] = L"SOFTWARE\\Trevanil\\Contados";

// A file, read-only or not, or a folder with all its content.
void removeEntry(const std::string& path) {
    ::SetFileAttributesW(toWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(toWide(path).c_str())) removeTree(path);
}

}  // namespace

RealWindowsFolder::RealWindowsFolder() {
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    redirected_ = wow64;
    const bool on64BitWindows = wow64 || sizeof(void*) == 8;
    windows_ = folder(&::GetSystemWindowsDirectoryW);
    landing_ = wow64 ? folder(&::GetSystemWow64DirectoryW) : folder(&::GetSystemDirectoryW);
    // The folder a copy must not reach: the other architecture's.
    if (wow64) other_ = windows_ + "\\Sysnative";
    if (on64BitWindows && !wow64) other_ = folder(&::GetSystemWow64DirectoryW);
    view_ = wow64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    otherView_ = on64BitWindows ? (wow64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY) : 0;
    makeFolder(windows_ + "\\System");
    clean();
}

std::vector<std::string> RealWindowsFolder::registered(REGSAM view) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineRecords, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0, n = 256; ::RegEnumValueW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, n = 256) {
        names.push_back(win32::toUtf8(name));
    }
    ::RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<DWORD> RealWindowsFolder::count(const std::string& name, REGSAM view) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return {};
    DWORD type = 0, data = 0, size = sizeof data;
    const LSTATUS found = ::RegQueryValueExW(key, toWide(windows_ + "\\System32\\" + name).c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(&data), &size);
    ::RegCloseKey(key);
    return found == ERROR_SUCCESS && type == REG_DWORD ? std::optional<DWORD>(data) : std::nullopt;
}

void RealWindowsFolder::clean() const {
    for (const char* name : kComponents) {
        for (const std::string& f : {windows_ + "\\System", landing_, other_}) {
            if (!f.empty()) removeEntry(f + "\\" + name), removeEntry(f + "\\~trevanil-" + name + ".new");
        }
    }
    WIN32_FIND_DATAW found{};
    const std::string system = windows_ + "\\System\\";
    const win32::unique_hfind search(::FindFirstFileW(toWide(system + "fixture_*").c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = ::FindNextFileW(search.get(), &found)) {
        removeEntry(system + win32::toUtf8(found.cFileName));
    }
    for (const REGSAM v : {view_, otherView_}) {
        if (v == 0) continue;
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kMachineRecords, v, 0);
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kCounted, v, 0);
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_SET_VALUE | v, &key) != ERROR_SUCCESS) continue;
        for (const char* name : kComponents) ::RegDeleteValueW(key, toWide(windows_ + "\\System32\\" + name).c_str());
        ::RegCloseKey(key);
    }
}

Stage::Stage(const std::string& component, const std::string& appFolder) : app_(appFolder) {
    makeFolder(app());
    const std::string program = env("TREVANIL_PROGRAM");
    if (program.empty()) throw std::runtime_error("TREVANIL_PROGRAM is not set");
    copyInto(program, this->program());
    for (size_t i = 0; i < kComponents.size(); ++i) {
        std::string file = component;
        if (const size_t mark = file.find('#'); mark != std::string::npos) file.replace(mark, 1, std::to_string(i + 1));
        copyInto(fixture(file), app() + "\\" + kComponents[i]);
        copyInto(fixture(file), windows() + "\\System\\" + kComponents[i]);
    }
}

Stage::~Stage() {
    if (!app_.empty()) removeTree(app_);
}

std::vector<std::string> Stage::componentEvents(const std::string& event) const {
    std::vector<std::string> names;
    if (!fileExists(fixtureLog())) return names;
    for (const std::string& line : lines(readFile(fixtureLog()))) {
        if (line.rfind(event + " ", 0) == 0) names.push_back(line.substr(event.size() + 1));
    }
    return names;
}

std::vector<std::string> Stage::notepadCalls() const {
    return fileExists(notepadLog()) ? lines(readFile(notepadLog())) : std::vector<std::string>{};
}

namespace {

std::wstring systemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

StandInEditor::StandInEditor() {
    if (underWine() && env("WINEDLLOVERRIDES").find("notepad.exe=n") == std::string::npos) return;
    editor_ = win32::toUtf8(systemFolder() + L"\\notepad.exe");
    saved_ = editor_ + ".trevanil-original";
    if (fileExists(editor_) && !fileExists(saved_)) {
        ::MoveFileExW(toWide(editor_).c_str(), toWide(saved_).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    copyInto(fixture("notepad_standin.exe"), editor_);
}

StandInEditor::~StandInEditor() {
    if (editor_.empty()) return;
    ::DeleteFileW((systemFolder() + L"\\notepad-standin.env").c_str());
    waitFor([this] { return ::DeleteFileW(toWide(editor_).c_str()) || !fileExists(editor_); }, 10000);
    if (fileExists(saved_)) ::MoveFileExW(toWide(saved_).c_str(), toWide(editor_).c_str(), MOVEFILE_REPLACE_EXISTING);
}

namespace {

ProgramRun::Variables stageVariables(const Stage& stage, const ProgramRun::Variables& extra) {
    ProgramRun::Variables variables = {{L"WINDIR", toWide(stage.windows())},
                                       {L"TREVANIL_FIXTURE_LOG", toWide(stage.fixtureLog())},
                                       {L"TREVANIL_NOTEPAD_LOG", toWide(stage.notepadLog())}};
    variables.insert(variables.end(), extra.begin(), extra.end());
    return variables;
}

}  // namespace

ProgramRun::ProgramRun(const Stage& stage, const Variables& extra, const std::string& arguments,
                       const std::string& current, const std::wstring& desktop)
    : ProgramRun(stage.program(), current.empty() ? stage.app() : current, stageVariables(stage, extra), arguments,
                 desktop) {}

ProgramRun::ProgramRun(const std::string& programPath, const std::string& folder, const Variables& variables,
                       const std::string& arguments, const std::wstring& desktop) {
    // The desktop shell starts the viewer with its own environment: the
    // stand-in then reads the run's settings beside itself.
    std::string settings;
    for (const auto& [name, value] : variables) {
        if (name.rfind(L"TREVANIL_NOTEPAD_", 0) == 0) settings += win32::toUtf8(name + L"=" + value) + "\n";
    }
    writeFile(win32::toUtf8(systemFolder()) + "\\notepad-standin.env", settings);
    std::wstring environment = environmentWith(variables);
    const std::wstring program = toWide(programPath);
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + toWide(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring desktopName = desktop;
    if (!desktopName.empty()) startup.lpDesktop = desktopName.data();
    PROCESS_INFORMATION info{};
    startedAt_ = ::GetTickCount64();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          environment.data(), toWide(folder).c_str(), &startup, &info)) {
        throw std::runtime_error("CreateProcessW failed, error " + std::to_string(::GetLastError()));
    }
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    id_ = info.dwProcessId;
}

ProgramRun::~ProgramRun() {
    if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

HWND ProgramRun::waitForWindow(unsigned limitMs) const {
    HWND found = nullptr;
    waitFor([&] { return (found = visibleWindowOf(id_, L"TrevanilForm")) != nullptr; }, limitMs);
    return found;
}

bool ProgramRun::waitForExit(unsigned limitMs) const {
    return ::WaitForSingleObject(process_.get(), limitMs) == WAIT_OBJECT_0;
}

DWORD ProgramRun::exitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ProgramSuite::TearDown() {
    for (const auto& viewer : processesNamed(L"notepad.exe", SYNCHRONIZE)) ::WaitForSingleObject(viewer.get(), 10000);
    ::DeleteFileW((systemFolder() + L"\\notepad-standin.env").c_str());
}

std::vector<std::string> ProgramSuite::viewerCalls(const Stage& stage, size_t expected) {
    waitFor([&] { return stage.notepadCalls().size() >= expected; }, expected == 0 ? 2000 : 30000);
    return stage.notepadCalls();
}

std::vector<win32::unique_handle> processesNamed(const wchar_t* name, DWORD access) {
    std::vector<win32::unique_handle> found;
    const win32::unique_hfile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, name) != 0) continue;
        found.emplace_back(::OpenProcess(access, FALSE, entry.th32ProcessID));
    }
    return found;
}

}  // namespace trevanil::test

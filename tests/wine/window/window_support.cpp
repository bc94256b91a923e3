#include "window_support.h"

#include <chrono>
#include <thread>

#include "platform/win32/system_proc.h"
#include "platform/win32/unique_any.h"

namespace trevanil::test {

namespace {

using Clock = std::chrono::steady_clock;

std::optional<HWND> findMessageBox(DWORD processId) {
    const HWND box = visibleWindowOf(processId, L"#32770");
    if (box == nullptr) return std::nullopt;
    return box;
}

MessageBoxSeen readMessageBox(HWND box) {
    MessageBoxSeen seen;
    seen.title = windowText(box);
    seen.owner = ::GetWindow(box, GW_OWNER);
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM param) CALLBACK -> BOOL {
            auto& s = *reinterpret_cast<MessageBoxSeen*>(param);
            if (!::IsWindowVisible(child)) return TRUE;
            const std::wstring kind = className(child);
            const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
            if (kind == L"Button") {
                ++s.buttons;
            } else if (kind == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
                DWORD_PTR icon = 0;
                ::SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
                s.icon = s.icon || icon != 0;
            } else if (kind == L"Static" && s.text.empty()) {
                s.text = windowText(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    return seen;
}

}  // namespace

PumpRecord pump(unsigned limitMs, const std::function<bool()>& until) {
    PumpRecord record;
    const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
    while (Clock::now() < end && !(until && until())) {
        MSG message;
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left > 50 ? 50 : (left > 0 ? left : 0)),
                                        QS_ALLINPUT);
            continue;
        }
        if (message.message == WM_QUIT) {
            record.quit = true;
            continue;
        }
        if (message.message == WM_TIMER) record.timerIds.push_back(message.wParam);
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return record;
}

RECT childRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text the system keeps for the window: no message is sent, so a
// window busy in a long call still answers at once.
std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    const int copied = ::InternalGetWindowText(window, text, 1024);
    return std::wstring(text, static_cast<size_t>(copied > 0 ? copied : 0));
}

HWND visibleWindowOf(DWORD processId, const wchar_t* windowClass) {
    struct Search {
        DWORD processId;
        const wchar_t* windowClass;
        HWND found = nullptr;
    } search{processId, windowClass};
    ::EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s.processId || !::IsWindowVisible(window)) return TRUE;
            if (s.windowClass != nullptr && className(window) != s.windowClass) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    const int n = ::GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<size_t>(n > 0 ? n : 0));
}

std::string environmentText(const char* name) {
    char value[256];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n == 0 || n >= sizeof value ? std::string() : std::string(value, n);
}

MessageBoxWatcher::MessageBoxWatcher(DWORD processId, unsigned limitMs, size_t most)
    : seen_(std::async(std::launch::async, [processId, limitMs, most] {
          std::vector<MessageBoxSeen> seen;
          const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
          // A process that has ended shows no more boxes.
          const win32::unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
          while (Clock::now() < end && seen.size() < most) {
              if (const auto box = findMessageBox(processId)) {
                  // Let the box finish laying itself out before reading it.
                  std::this_thread::sleep_for(std::chrono::milliseconds(300));
                  seen.push_back(readMessageBox(*box));
                  ::PostMessageW(*box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(::GetDlgItem(*box, IDOK)));
                  // The next box is another window: not this one again.
                  while (::IsWindow(*box) && Clock::now() < end) {
                      std::this_thread::sleep_for(std::chrono::milliseconds(20));
                  }
              } else if (!process) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              } else if (::WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0) {
                  break;
              }
          }
          return seen;
      })) {}

std::optional<MessageBoxSeen> MessageBoxWatcher::result() {
    const auto& seen = seen_.get();
    if (seen.empty()) return std::nullopt;
    return seen.front();
}

std::vector<MessageBoxSeen> MessageBoxWatcher::results() { return seen_.get(); }

int askedDpi() {
    const std::string asked = environmentText("TREVANIL_EXPECTED_DPI");
    return asked.empty() ? USER_DEFAULT_SCREEN_DPI : std::stoi(asked);
}

void beDpiAware() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    const auto setContext = win32::systemProc<SetContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext");
    if (setContext == nullptr || !setContext(reinterpret_cast<HANDLE>(-4))) {  // per monitor, v2
        ::SetProcessDPIAware();
    }
}

}  // namespace trevanil::test

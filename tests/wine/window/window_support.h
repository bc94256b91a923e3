// Helpers for tests that drive real windows: a message pump with a limit,
// and a watcher that reads a message box and presses its OK button.
#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace trevanil::test {

// What a pump saw go by besides the messages it dispatched.
struct PumpRecord {
    bool quit = false;
    std::vector<UINT_PTR> timerIds;  // WM_TIMER messages for any window
};

// Dispatches this thread's messages for up to `limitMs`, or until `until`
// holds (checked between messages).
PumpRecord pump(unsigned limitMs, const std::function<bool()>& until = {});

// Client-relative rectangle of a child window.
RECT childRect(HWND child);
std::wstring windowText(HWND window);  // also for windows of other processes, busy or not
std::wstring className(HWND window);
// A visible top-level window of the process (of that class, when given);
// null when it has none.
HWND visibleWindowOf(DWORD processId, const wchar_t* windowClass = nullptr);
std::string environmentText(const char* name);  // empty when unset
// The DPI the run's display was set up for (TREVANIL_EXPECTED_DPI), else 96.
int askedDpi();
// Per-monitor DPI-aware, as the program's manifest makes the program; to be
// called before this process's first window.
void beDpiAware();

struct MessageBoxSeen {
    std::wstring title;
    std::wstring text;
    HWND owner = nullptr;
    bool icon = false;  // a visible icon in the box
    int buttons = 0;    // visible buttons
};

// Waits (on its own thread) for message boxes of the process to show, up to
// `most` one after the other, reads each and presses OK. result() is the
// first, empty when none showed within the limit; results() all of them.
// Both wait for the watcher to finish.
class MessageBoxWatcher {
public:
    MessageBoxWatcher(DWORD processId, unsigned limitMs, size_t most = 1);
    std::optional<MessageBoxSeen> result();
    std::vector<MessageBoxSeen> results();

private:
    std::shared_future<std::vector<MessageBoxSeen>> seen_;
};

}  // namespace trevanil::test

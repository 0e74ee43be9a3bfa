#include "win/page_driving.h"
#include "driver/driver.h"

#include "app/main_window.h"

#include <atomic>
#include <commdlg.h>
#include <deque>
#include <mutex>
#include <thread>

namespace {

const UINT kRunProbe = WM_APP + 1;
std::mutex g_ProbesLock; // helper threads post probes too
std::deque<std::function<void()>> g_Probes;
int g_ProbesPosted = 0; // both guarded by g_ProbesLock
int g_ProbesRun = 0;
HWND g_ProbeWindow = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunProbe) {
        std::function<void()> probe;
        {
            std::lock_guard<std::mutex> lock(g_ProbesLock);
            if (g_Probes.empty()) return 0;
            probe = std::move(g_Probes.front());
            g_Probes.pop_front();
            ++g_ProbesRun;
        }
        probe();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND ProbeWindow() {
    if (g_ProbeWindow) return g_ProbeWindow;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MorvaneTestProbe";
    RegisterClassA(&wc);
    g_ProbeWindow = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
    return g_ProbeWindow;
}

struct ThreadWindowSearch {
    const std::string* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM lParam) {
    ThreadWindowSearch* search = reinterpret_cast<ThreadWindowSearch*>(lParam);
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (*search->title == text && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void PrepareProbes() {
    ProbeWindow();
    ProbesNotRun();
}

void PostProbe(std::function<void()> check) {
    std::lock_guard<std::mutex> lock(g_ProbesLock);
    g_Probes.push_back(std::move(check));
    ++g_ProbesPosted;
    PostMessageA(g_ProbeWindow, kRunProbe, 0, 0);
}

int ProbesNotRun() {
    // Dropped with their messages, so that none runs later in another test's loop, over that
    // test's variables or ahead of its own probes.
    MSG stale;
    while (g_ProbeWindow && PeekMessageA(&stale, g_ProbeWindow, kRunProbe, kRunProbe, PM_REMOVE)) {
    }
    std::lock_guard<std::mutex> lock(g_ProbesLock);
    g_Probes.clear();
    const int notRun = g_ProbesPosted - g_ProbesRun;
    g_ProbesPosted = g_ProbesRun = 0;
    return notRun;
}

void PostClick(int id) {
    PostMessageA(Control(id), BM_CLICK, 0, 0);
}

void PostCommand(int id, WORD code) {
    PostMessageA(g_MainWindow, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(Control(id)));
}

bool HasStyle(int id, LONG_PTR style) {
    return (GetWindowLongPtrA(Control(id), GWL_STYLE) & style) == style;
}

bool IsShown(int id) {
    return HasStyle(id, WS_VISIBLE);
}

bool IsEnabled(int id) {
    return IsWindowEnabled(Control(id)) != FALSE;
}

std::string ClassOf(int id) {
    char name[64] = {};
    GetClassNameA(Control(id), name, sizeof name);
    return name;
}

int ClientHeight() {
    RECT r = {};
    GetClientRect(g_MainWindow, &r);
    return r.bottom - r.top;
}

HWND WaitForThreadWindow(DWORD threadId, const std::string& title, int timeoutMs) {
    ThreadWindowSearch search = {&title, nullptr};
    driver::WaitUntil(
        [&] {
            EnumThreadWindows(threadId, MatchTitle, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs, 20);
    return search.found;
}

bool AnswerFileDialog(DWORD threadId, const std::string& title, const std::string& file,
                      std::string* openedFolder) {
    HWND dialog = WaitForThreadWindow(threadId, title, 10000);
    if (!dialog) return false;
    if (openedFolder) {
        wchar_t folder[1024] = {};
        SendMessageW(dialog, CDM_GETFOLDERPATH, 1024, reinterpret_cast<LPARAM>(folder));
        *openedFolder = driver::Utf8(folder);
    }
    // A dialog that stays open after OK (it refused the name) is cancelled, so that the page's
    // loop goes on.
    if (!file.empty() && driver::AnswerFileDialog(dialog, file, true, 5000)) return true;
    return driver::AnswerFileDialog(dialog, {}, false, 5000) && file.empty();
}

struct WindowWatcher::State {
    DWORD threadId;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<std::string> seen;
    std::thread watcher;
};

namespace {

struct StrayWindows {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectStray(HWND hwnd, LPARAM lParam) {
    if (hwnd != g_MainWindow && IsWindowVisible(hwnd))
        reinterpret_cast<StrayWindows*>(lParam)->found.push_back(hwnd);
    return TRUE;
}

} // namespace

WindowWatcher::WindowWatcher(DWORD threadId) : state_(new State) {
    state_->threadId = threadId;
    State* state = state_;
    state_->watcher = std::thread([state] {
        while (!state->stop) {
            StrayWindows stray;
            EnumThreadWindows(state->threadId, CollectStray, reinterpret_cast<LPARAM>(&stray));
            for (HWND hwnd : stray.found) {
                char text[256] = {};
                GetWindowTextA(hwnd, text, sizeof text);
                {
                    std::lock_guard<std::mutex> guard(state->lock);
                    state->seen.push_back(text);
                }
                PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
                driver::WaitUntil([hwnd] { return !IsWindow(hwnd); }, 2000);
            }
            Sleep(20);
        }
    });
}

WindowWatcher::~WindowWatcher() {
    state_->stop = true;
    state_->watcher.join();
    delete state_;
}

std::vector<std::string> WindowWatcher::Seen() {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->seen;
}

#include "win/app_fixture.h"

#include "app/main_window.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "win/test_support.h"

namespace {
DWORD g_WindowThread = 0;
}

void EnsureMainWindow() {
    if (g_MainWindow) return;
    // The program's own start-up; only the window is shown without taking the focus.
    if (!StartUp(GetModuleHandleW(nullptr))) return;
    ShowWindow(g_MainWindow, SW_SHOWNOACTIVATE);
    g_WindowThread = GetCurrentThreadId();
}

DWORD MainThreadId() {
    return g_WindowThread;
}

std::string TextOf(int id) {
    return testsupport::Utf8(ControlText(id));
}

int LogLineCount() {
    return static_cast<int>(SendMessageW(Control(LogList), LB_GETCOUNT, 0, 0));
}

std::vector<std::string> LogLinesFrom(int first) {
    std::vector<std::string> lines;
    HWND list = Control(LogList);
    const int count = LogLineCount();
    for (int i = first < 0 ? 0 : first; i < count; ++i) {
        int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length > 0 ? length : 0));
        lines.push_back(testsupport::Utf8(text));
    }
    return lines;
}

std::string LastLogLine() {
    std::vector<std::string> lines = LogLinesFrom(LogLineCount() - 1);
    return lines.empty() ? std::string() : lines.back();
}

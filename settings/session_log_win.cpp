#include "settings/session_log.h"

#include <vector>

#include "app/main_window.h"
#include "app/handle_win.h"
#include "settings/log_text.h"
#include "settings/settings.h"
#include "settings/time_format.h"

std::string SessionHeader;
int32_t g_LogLineCount = 0;

Timestamp NowTimestamp() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return MakeTimestamp(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

void BuildSessionHeader() {
    SessionHeader = FormatTimestamp(SessionHeaderMask, NowTimestamp());
}

void AddLogLine(const std::string& message) {
    const HWND list = Control(LogList);
    if (list == nullptr) return; // before the controls exist there is nowhere to show it
    const std::string line =
        BuildLogPrefix(g_Settings.LogInfoStyle, g_LogLineCount, NowTimestamp()) + message;
    const LRESULT index =
        SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), (LPARAM)line.c_str());
    // A refused insert (no list, out of memory) must not reset the numbering.
    if (index < 0) return;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    g_LogLineCount = static_cast<int32_t>(index + 1);
}

std::vector<std::string> LogListLines() {
    std::vector<std::string> lines;
    const HWND list = Control(LogList);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return lines;
    lines.reserve(static_cast<size_t>(count));
    std::vector<char> buffer;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            lines.emplace_back();
            continue;
        }
        buffer.assign(static_cast<size_t>(length) + 1, '\0');
        const LRESULT got =
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), (LPARAM)buffer.data());
        lines.emplace_back(buffer.data(), got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    }
    return lines;
}

void WriteSessionLog() {
    HandleGuard file(CreateFileA((SettingsBasePath + ".log").c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.Valid()) return;
    const std::string block = FormatSessionBlock(SessionHeader, LogListLines(),
                                                 FormatTimestamp(SessionEndMask, NowTimestamp()));
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return;
    WriteAll(file.Get(), block);
}

#include "settings/session_log.h"

#include <vector>

#include "app/main_window.h"
#include "base/ansi_text_win.h"
#include "base/handle_win.h"
#include "base/wide_text.h"
#include "settings/log_text.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/time_format.h"

std::string SessionHeader;
int32_t g_LogLineCount = 0;

Timestamp NowTimestamp() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return MakeTimestamp(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

void BuildSessionHeader() {
    SessionHeader = FormatTimestamp(kSessionHeaderMask, NowTimestamp());
}

void AddLogLine(const std::wstring& message) {
    const HWND list = Control(LogList);
    if (list == nullptr) return; // before the controls exist there is nowhere to show it
    const std::wstring line =
        AsciiWide(BuildLogPrefix(g_Settings.LogInfoStyle, g_LogLineCount, NowTimestamp())) +
        message;
    const LRESULT index =
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), (LPARAM)line.c_str());
    // A refused insert (no list, out of memory) must not reset the numbering.
    if (index < 0) return;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    g_LogLineCount = static_cast<int32_t>(index + 1);
}

std::vector<std::wstring> LogListLines() {
    std::vector<std::wstring> lines;
    const HWND list = Control(LogList);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return lines;
    lines.reserve(static_cast<size_t>(count));
    std::vector<wchar_t> buffer;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            lines.emplace_back();
            continue;
        }
        buffer.assign(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT got =
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), (LPARAM)buffer.data());
        lines.emplace_back(buffer.data(), got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    }
    return lines;
}

namespace {

// The step between two tries while another program holds the log.
const DWORD kLogRetryStepMs = 50;

// Opens a file for appending, creating it when missing. Others may read and write it meanwhile:
// a second instance appends its own block the same way.
HANDLE OpenForAppend(const std::wstring& path) {
    return CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

void WriteSessionLog() {
    // The file is ANSI text: a character the code page lacks is written "?".
    std::vector<std::string> entries;
    for (const std::wstring& line : LogListLines())
        entries.push_back(AnsiText(line));
    const std::string block = FormatSessionBlock(SessionHeader, entries,
                                                 FormatTimestamp(kSessionEndMask, NowTimestamp()));
    const std::wstring path = ProgramFilePath(L".log");
    const DWORD start = GetTickCount();
    HANDLE handle = OpenForAppend(path);
    while (handle == INVALID_HANDLE_VALUE && HeldByAnother(GetLastError()) &&
           GetTickCount() - start < kLogBusyWaitMs) {
        PauseAnswering(kLogRetryStepMs);
        handle = OpenForAppend(path);
    }
    HandleGuard file(handle);
    const uint64_t size = block.size();
    if (!file.Valid() || size > MAXDWORD) return;
    // The whole block in one write, placed at the end of the file as it is at that moment, so
    // that blocks of two instances ending together never mix their lines.
    OVERLAPPED atEnd{};
    atEnd.Offset = 0xFFFFFFFF;
    atEnd.OffsetHigh = 0xFFFFFFFF;
    DWORD written = 0;
    WriteFile(file.Get(), block.data(), static_cast<DWORD>(size), &written, &atEnd);
}

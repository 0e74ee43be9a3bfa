#include "settings/session_log.h"

#include <algorithm>
#include <vector>

#include "base/ansi_text_win.h"
#include "base/handle_win.h"
#include "base/plain_file_win.h"
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

namespace {

// Where the lines go: the log list, as start-up hands it over.
LogSink g_Sink;

} // namespace

void SetLogSink(LogSink sink) {
    g_Sink = std::move(sink);
}

void AddLogLine(const std::wstring& message) {
    // Before start-up hands the list over there is nowhere to show a line.
    if (!g_Sink.append) return;
    const std::wstring line =
        AsciiWide(BuildLogPrefix(g_Settings.LogInfoStyle, g_LogLineCount, NowTimestamp())) +
        message;
    const int index = g_Sink.append(line);
    // A refused line (no list, out of memory) must not reset the numbering.
    if (index < 0) return;
    g_LogLineCount = static_cast<int32_t>(index + 1);
}

std::vector<std::wstring> LogLines() {
    return g_Sink.lines ? g_Sink.lines() : std::vector<std::wstring>();
}

namespace {

// The step between two tries while another program holds the log.
const DWORD kLogRetryStepMs = 50;

// Opens the log for appending, creating it when missing; a link or a file with a second name
// is not opened. Others may read and write it meanwhile: a second instance appends its own block
// the same way.
HANDLE OpenLogForAppend() {
    return OpenPlainFile(ProgramFilePath(L".log"), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
}

bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The whole text in one write, placed at the end of the file as it is at that moment, so that
// blocks of two instances ending together never mix their lines.
bool AppendAtEnd(HANDLE file, const std::string& text) {
    if (text.size() > MAXDWORD) return false;
    OVERLAPPED atEnd{};
    atEnd.Offset = 0xFFFFFFFF;
    atEnd.OffsetHigh = 0xFFFFFFFF;
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, &atEnd) &&
           written == text.size();
}

// Blocks that waited beside the log because it was held when their run ended, oldest first.
std::vector<std::wstring> PendingFiles() {
    const std::wstring pattern = ProgramFilePath(L".log.*.pending");
    const std::wstring folder = pattern.substr(0, pattern.rfind(L'\\') + 1);
    std::vector<std::pair<ULONGLONG, std::wstring>> found;
    WIN32_FIND_DATAW fd;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        const ULONGLONG written =
            (static_cast<ULONGLONG>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
            fd.ftLastWriteTime.dwLowDateTime;
        found.emplace_back(written, folder + fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(found.begin(), found.end());
    std::vector<std::wstring> paths;
    for (const auto& f : found)
        paths.push_back(f.second);
    return paths;
}

// Appends the waiting blocks to the open log in their order and deletes each once it is in. A
// waiting file is held without sharing its reading meanwhile, so that two starts never append
// it twice; one that is no plain file stays where it is.
void AppendPendingBlocks(HANDLE log) {
    for (const std::wstring& path : PendingFiles()) {
        HandleGuard pending(OpenPlainFile(path, GENERIC_READ, FILE_SHARE_DELETE, OPEN_EXISTING));
        std::string text;
        if (!pending.Valid() || !ReadFileContent(pending.Get(), text)) continue;
        if (!AppendAtEnd(log, text)) return; // the later ones wait too, to keep the order
        DeleteFileW(path.c_str());
    }
}

} // namespace

void AppendPendingLogBlocks() {
    if (!g_Settings.EnableSaveInfo || PendingFiles().empty()) return;
    HandleGuard log(OpenLogForAppend());
    if (log.Valid()) AppendPendingBlocks(log.Get());
}

void WriteSessionLog() {
    // The file is ANSI text: a character the code page lacks is written "?".
    std::vector<std::string> entries;
    for (const std::wstring& line : LogLines())
        entries.push_back(AnsiText(line));
    const std::string block = FormatSessionBlock(SessionHeader, entries,
                                                 FormatTimestamp(kSessionEndMask, NowTimestamp()));
    const DWORD start = GetTickCount();
    HANDLE handle = OpenLogForAppend();
    while (handle == INVALID_HANDLE_VALUE && HeldByAnother(GetLastError()) &&
           GetTickCount() - start < kLogBusyWaitMs) {
        if (g_Sink.pause)
            g_Sink.pause(kLogRetryStepMs);
        else
            Sleep(kLogRetryStepMs);
        handle = OpenLogForAppend();
    }
    const DWORD error = GetLastError();
    HandleGuard file(handle);
    if (file.Valid()) {
        AppendPendingBlocks(file.Get());
        AppendAtEnd(file.Get(), block);
    } else if (HeldByAnother(error)) {
        // Still held: the block waits beside the log for the next start.
        const std::wstring pending =
            L".log." + std::to_wstring(GetCurrentProcessId()) + L".pending";
        HandleGuard waiting(OpenPlainFile(ProgramFilePath(pending), FILE_APPEND_DATA,
                                          FILE_SHARE_READ, OPEN_ALWAYS));
        if (waiting.Valid()) AppendAtEnd(waiting.Get(), block);
    }
}

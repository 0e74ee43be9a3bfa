#include "settings/session_log.h"

#include <algorithm>
#include <set>
#include <vector>

#include "base/ansi_text_win.h"
#include "base/file_path.h"
#include "base/handle_win.h"
#include "base/owner_win.h"
#include "base/plain_file_win.h"
#include "base/whole_file_win.h"
#include "base/wide_text.h"
#include "settings/log_text.h"
#include "settings/program_paths.h"
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
// Names tried for this run's waiting block before it is given up.
const int kPendingNameTries = 8;

// Waiting files left alone in this run (their paths), each named in the log once.
std::set<std::wstring> g_LeftAlone;
// Runs whose blocks were lost before this one started, as the settings file counted them.
int32_t g_LostBefore = 0;

// Opens the log for appending, creating it when missing; a link or a file with a second name
// is not opened. Others may read and write it meanwhile: a second instance appends its own block
// the same way.
HANDLE OpenLogForAppend() {
    return OpenPlainFile(ProgramFilePath(L".log"), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
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

struct PendingFile {
    ULONGLONG written;
    std::wstring name;
    ULONGLONG size;
    bool folder;
    bool operator<(const PendingFile& other) const {
        return written != other.written ? written < other.written : name < other.name;
    }
};

std::wstring PendingFolder() {
    return FolderOf(ProgramFilePath(L".log"));
}

// Whatever is named like a waiting block beside the log, oldest first. Only the names and
// sizes are read here, so that thousands of such files cost little.
std::vector<PendingFile> PendingFiles() {
    std::vector<PendingFile> found;
    WIN32_FIND_DATAW fd;
    const FindHandle find(FindFirstFileW(ProgramFilePath(L".log.*.pending").c_str(), &fd));
    if (!find.Valid()) return found;
    const auto wide = [](DWORD high, DWORD low) {
        return (static_cast<ULONGLONG>(high) << 32) | low;
    };
    do {
        found.push_back({wide(fd.ftLastWriteTime.dwHighDateTime, fd.ftLastWriteTime.dwLowDateTime),
                         fd.cFileName, wide(fd.nFileSizeHigh, fd.nFileSizeLow),
                         (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.Get(), &fd));
    std::sort(found.begin(), found.end());
    return found;
}

enum class Merged { Appended, Busy, LeftAlone, LogRefused };

// Appends one waiting file to the open log. It is held without sharing meanwhile, so that two
// starts never append it twice, and marked to go before its block is appended: one that cannot
// be taken away is never merged, and one whose block the log refuses is kept.
Merged MergePending(HANDLE log, const PendingFile& file) {
    if (!IsPendingBlockName(file.name) || file.size > kPendingBlockLimit) return Merged::LeftAlone;
    HandleGuard pending(
        OpenPlainFile(PendingFolder() + file.name, GENERIC_READ | DELETE, 0, OPEN_EXISTING));
    if (!pending.Valid()) {
        const DWORD error = GetLastError();
        return HeldByAnother(error) || error == ERROR_FILE_NOT_FOUND ? Merged::Busy
                                                                     : Merged::LeftAlone;
    }
    LARGE_INTEGER size{};
    std::string text;
    if (!GetFileSizeEx(pending.Get(), &size) ||
        static_cast<ULONGLONG>(size.QuadPart) > kPendingBlockLimit ||
        !ReadFileContent(pending.Get(), text) || !IsSessionBlockText(text) ||
        !g_FileCalls.markForDeletion(pending.Get(), true))
        return Merged::LeftAlone;
    if (AppendAtEnd(log, text)) return Merged::Appended;
    g_FileCalls.markForDeletion(pending.Get(), false);
    return Merged::LogRefused;
}

// Appends the waiting blocks to the open log in their order. `report` names in the log list
// each file left alone for the first time in the run.
void AppendPendingBlocks(HANDLE log, const std::vector<PendingFile>& files, bool report) {
    for (const PendingFile& file : files) {
        const std::wstring path = PendingFolder() + file.name;
        if (file.folder || g_LeftAlone.count(path) != 0) continue;
        const Merged merged = MergePending(log, file);
        if (merged == Merged::LogRefused) return; // the later ones wait too, to keep the order
        if (merged != Merged::LeftAlone || !report) continue;
        g_LeftAlone.insert(path);
        AddLogLine(L"Not merged: " + file.name);
    }
}

// Keeps the block in a new file beside the log, named after this process or, when that name is
// taken, after a random number; false when no such file could be written.
bool KeepPendingBlock(const std::string& block) {
    std::wstring number = std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < kPendingNameTries; ++attempt) {
        HandleGuard waiting(OpenPlainFile(ProgramFilePath(L".log." + number + L".pending"),
                                          FILE_APPEND_DATA | DELETE, FILE_SHARE_READ, CREATE_NEW));
        if (waiting.Valid()) {
            if (WriteAll(waiting.Get(), block)) return true;
            g_FileCalls.markForDeletion(waiting.Get(), true); // part of a block is none
            return false;
        }
        uint32_t random = 0;
        if (!g_FileCalls.randomBytes(&random, sizeof random)) return false;
        number = std::to_wstring(random);
    }
    return false;
}

} // namespace

int32_t LostLogBlocksBefore() {
    return g_LostBefore;
}

void AppendPendingLogBlocks() {
    g_LostBefore = std::max<int32_t>(g_Settings.LostLogBlocks, 0); // as written, or edited
    g_Settings.LostLogBlocks = 0;
    if (g_LostBefore > 0) AddLogLine(L"Lost log blocks: " + std::to_wstring(g_LostBefore));
    if (!g_Settings.EnableSaveInfo) return;
    const std::vector<PendingFile> files = PendingFiles();
    if (files.empty()) return;
    HandleGuard log(OpenLogForAppend());
    if (log.Valid()) AppendPendingBlocks(log.Get(), files, true);
}

bool WriteSessionLog() {
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
        // The lines of the run are taken: files left alone now are named by the next start.
        AppendPendingBlocks(file.Get(), PendingFiles(), false);
        return AppendAtEnd(file.Get(), block);
    }
    // Still held: the block waits beside the log for the next start.
    return !HeldByAnother(error) || KeepPendingBlock(block);
}

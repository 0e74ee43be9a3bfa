#include "settings/settings_file.h"

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "base/ansi_text_win.h"
#include "base/handle_win.h"
#include "base/plain_file_win.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/settings_text.h"

namespace {

std::wstring SettingsFilePath() {
    return ProgramFilePath(L".ini");
}

// The outer top-left corner to remember. A minimised window sits at a placeholder far off the
// screen, so its restored place is taken instead; that one comes in work-area coordinates.
void PositionToSave(HWND window, int32_t& x, int32_t& y) {
    RECT r{};
    if (IsIconic(window)) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        if (GetWindowPlacement(window, &wp)) {
            RECT normal = wp.rcNormalPosition;
            MONITORINFO mi{};
            mi.cbSize = sizeof(mi);
            const HMONITOR monitor = MonitorFromRect(&normal, MONITOR_DEFAULTTOPRIMARY);
            if (monitor != nullptr && GetMonitorInfoW(monitor, &mi)) {
                OffsetRect(&normal, mi.rcWork.left - mi.rcMonitor.left,
                           mi.rcWork.top - mi.rcMonitor.top);
            }
            x = normal.left;
            y = normal.top;
            return;
        }
    }
    GetWindowRect(window, &r);
    x = r.left;
    y = r.top;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const ScreenRect area = {info.rcWork.left, info.rcWork.top, info.rcWork.right,
                             info.rcWork.bottom};
    auto& list = *reinterpret_cast<std::vector<ScreenRect>*>(areas);
    // The primary monitor's comes first; no exception may leave the callback.
    try {
        list.insert((info.dwFlags & MONITORINFOF_PRIMARY) ? list.begin() : list.end(), area);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

// Moves the window to (x, y) when its caption bar can be grabbed there; else centres it on the
// primary monitor's work area.
void RestorePosition(HWND window, int32_t x, int32_t y) {
    RECT outer{};
    POINT client{};
    if (!GetWindowRect(window, &outer) || !ClientToScreen(window, &client)) return;
    // Between the side borders, from the top border down to the client area.
    const LONG border = client.x - outer.left;
    const ScreenRect caption = {outer.left + border, outer.top + border, outer.right - border,
                                client.y};
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    PlaceToOpen(x, y, {outer.left, outer.top, outer.right, outer.bottom}, caption, areas);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Different temporary names tried before a save gives up.
const int kTemporaryNameTries = 8;

// A new plain file beside `target` (a path as the file calls take it), named after it with a
// random part, so that nobody can plant a link at the name ahead of time; a name that is taken
// gives way to another. Others may read it meanwhile. `temp` receives its name.
HANDLE CreateTemporaryBeside(const std::wstring& target, std::wstring& temp, DWORD flags = 0) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        const std::wstring part = RandomNamePart();
        if (part.empty()) break;
        // Longer than the file's own name, so it takes the long-path form by itself.
        temp = LongPathForm(target + L"." + part + L".tmp");
        const HANDLE file =
            OpenPlainFile(temp, GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW, flags);
        if (file != INVALID_HANDLE_VALUE) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Whether a file at `target` (a path as the file calls take it) can be replaced by a rename:
// either there is none, or it is neither read-only nor held by a program that keeps it from
// being removed. A link there is replaced itself, so it is opened, not followed.
bool Replaceable(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    const HandleGuard file(g_FileCalls.createFile(
        target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file.Valid();
}

// Whether this run's block can reach Morvane.log: the log opens for appending as at exit, or it
// is missing and new files can be made. A log that another program holds now is waited for, or
// its block kept beside it, at exit.
bool LogAppendable(bool newFiles) {
    HandleGuard log(OpenPlainFile(ProgramFilePath(L".log"), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (log.Valid()) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return newFiles;
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

void SetProgramPaths() {
    ProgramFolder = ProgramFolderOf(OwnProgramPath());
    SettingsBasePath = SettingsBasePathOf(ProgramFolder);
}

void SetDefaultSettings() {
    SetSettingsDefaults(g_Settings, ProgramFolder, std::string());
    SetCurrentDir(g_Settings, ProgramFolder);
}

void SetCurrentDir(Settings& s, const std::wstring& folder) {
    s.CurrentDir = folder;
    if (AnsiHolds(folder)) s.CurrentDirText = AnsiText(folder);
}

std::wstring ProgramFilePath(const std::wstring& extension) {
    return FileCallPath(SettingsBasePath + extension);
}

std::wstring FileCallPath(const std::wstring& path) {
    if (path.empty() || IsDevicePath(path)) return path;
    std::wstring full(path.size() + MAX_PATH, L'\0');
    DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    }
    if (length == 0 || length >= full.size()) return LongPathForm(path);
    full.resize(length);
    return LongPathForm(full);
}

bool ReadWholeFile(const std::wstring& path, std::string& text) {
    HandleGuard file(CreateFileW(FileCallPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && ReadFileContent(file.Get(), text);
}

bool ReadFileContent(HANDLE file, std::string& text) {
    text.clear();
    try {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
            static_cast<uint64_t>(size.QuadPart) < text.max_size()) {
            text.reserve(static_cast<size_t>(size.QuadPart));
        }
        std::vector<char> chunk(0x10000);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
                return false;
            }
            if (got == 0) break;
            text.append(chunk.data(), got);
        }
    } catch (const std::bad_alloc&) {
        // A file too big for memory counts as unreadable.
        text.clear();
        return false;
    }
    return true;
}

bool ReplaceFileContent(const std::wstring& path, const std::string& content) {
    const std::wstring target = FileCallPath(path);
    // A read-only file is the user's word that it stays as it is.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    std::wstring temp;
    HandleGuard file(CreateTemporaryBeside(target, temp));
    if (!file.Valid()) return false;
    const bool written = WriteAll(file.Get(), content) && FlushFileBuffers(file.Get());
    file.Close();
    // The rename replaces whatever lies at the name, a link included, never what it points at.
    if (!written || !MoveFileExW(temp.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

void ReportUnsavableFiles() {
    // What the end of the run will do: make a new temporary file and rename it over the
    // settings file, and append to the log, or create it.
    std::wstring probe;
    HandleGuard file(
        CreateTemporaryBeside(ProgramFilePath(L".ini"), probe, FILE_FLAG_DELETE_ON_CLOSE));
    const bool newFiles = file.Valid();
    file.Close();
    if (!newFiles || !Replaceable(ProgramFilePath(L".ini"))) AddLogLine(L"Can't save: Morvane.ini");
    if (g_Settings.EnableSaveInfo && !LogAppendable(newFiles))
        AddLogLine(L"Can't save: Morvane.log");
}

void LoadSettings(HWND window) {
    std::string text;
    if (!ReadWholeFile(SettingsFilePath(), text)) return;
    RECT r{};
    GetWindowRect(window, &r);
    int32_t x = r.left;
    int32_t y = r.top;
    const std::string folderBefore = g_Settings.CurrentDirText;
    ApplySettingsText(text, g_Settings, x, y);
    // The folder the file names, as the code page reads it.
    if (g_Settings.CurrentDirText != folderBefore)
        g_Settings.CurrentDir = WideText(g_Settings.CurrentDirText);
    if (g_Settings.EnableRestoreWindow != 0 && window != nullptr) RestorePosition(window, x, y);
}

bool SaveSettings(HWND window) {
    int32_t x = 0;
    int32_t y = 0;
    if (window != nullptr) PositionToSave(window, x, y);
    return ReplaceFileContent(SettingsFilePath(), FormatSettingsText(g_Settings, x, y));
}

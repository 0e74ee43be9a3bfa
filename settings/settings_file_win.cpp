#include "settings/settings_file.h"

#include <climits>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "base/ansi_text_win.h"
#include "base/handle_win.h"
#include "proc/process_api.h"
#include "settings/settings.h"
#include "settings/settings_text.h"

namespace {

std::wstring SettingsFilePath() {
    return ProgramFilePath(L".ini");
}

LONG ClampToLong(int64_t v) {
    if (v < LONG_MIN) return LONG_MIN;
    if (v > LONG_MAX) return LONG_MAX;
    return static_cast<LONG>(v);
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

// Moves the window to (x, y) unless, at its present size, it would lie on no monitor there.
void RestorePosition(HWND window, int32_t x, int32_t y) {
    RECT current{};
    if (!GetWindowRect(window, &current)) return;
    RECT target;
    target.left = x;
    target.top = y;
    target.right = ClampToLong(static_cast<int64_t>(x) + (current.right - current.left));
    target.bottom = ClampToLong(static_cast<int64_t>(y) + (current.bottom - current.top));
    if (MonitorFromRect(&target, MONITOR_DEFAULTTONULL) == nullptr) return;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Different temporary names tried before a save gives up.
const int kTemporaryNameTries = 8;

// Creates or empties a file for writing; others may read it meanwhile.
HANDLE CreateForWriting(const std::wstring& path) {
    return CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    return LongPathForm(SettingsBasePath + extension);
}

bool ReadWholeFile(const std::wstring& path, std::string& text) {
    HandleGuard file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    text.clear();
    try {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
            static_cast<uint64_t>(size.QuadPart) < text.max_size()) {
            text.reserve(static_cast<size_t>(size.QuadPart));
        }
        std::vector<char> chunk(0x10000);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got,
                          nullptr)) {
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
    // The temporary name carries this process's id, so that a second instance saving at the
    // same moment never shares it. A name taken by a leftover that cannot be replaced (a folder,
    // a read-only file) is passed over for the next one. It is longer than the file's own name,
    // so it is put in the long-path form by itself.
    const std::wstring stem = path + L"." + std::to_wstring(GetCurrentProcessId());
    std::wstring temp;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTemporaryNameTries && handle == INVALID_HANDLE_VALUE;
         ++attempt) {
        temp = LongPathForm(stem + (attempt ? L"-" + std::to_wstring(attempt) : std::wstring()) +
                            L".tmp");
        handle = CreateForWriting(temp);
    }
    HandleGuard file(handle);
    if (!file.Valid()) return false;
    const bool written = WriteAll(file.Get(), content) && FlushFileBuffers(file.Get());
    file.Close();
    if (!written || !MoveFileExW(temp.c_str(), LongPathForm(path).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
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

void SaveSettings(HWND window) {
    int32_t x = 0;
    int32_t y = 0;
    if (window != nullptr) PositionToSave(window, x, y);
    ReplaceFileContent(SettingsFilePath(), FormatSettingsText(g_Settings, x, y));
}

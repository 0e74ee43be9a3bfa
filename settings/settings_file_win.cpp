#include "settings/settings_file.h"

#include <climits>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/handle_win.h"
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
            if (monitor != nullptr && GetMonitorInfoA(monitor, &mi)) {
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
const int TemporaryNameTries = 8;

// Creates or empties a file for writing; others may read it meanwhile.
HANDLE CreateForWriting(const std::wstring& path) {
    return CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring WideText(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], chars);
    return wide;
}

} // namespace

std::wstring ProgramFilePath(const std::wstring& extension) {
    return LongPathForm(SettingsBasePath + extension);
}

std::string AnsiText(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, &ansi[0], bytes, nullptr, nullptr);
    return ansi;
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
    for (int attempt = 0; attempt < TemporaryNameTries && handle == INVALID_HANDLE_VALUE;
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

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::wstring wide = WideText(path);
    return !wide.empty() && ReplaceFileContent(wide, content);
}

void LoadSettings() {
    std::string text;
    if (!ReadWholeFile(SettingsFilePath(), text)) return;
    RECT r{};
    GetWindowRect(g_MainWindow, &r);
    int32_t x = r.left;
    int32_t y = r.top;
    ApplySettingsText(text, g_Settings, x, y);
    if (g_Settings.EnableRestoreWindow != 0 && g_MainWindow != nullptr) {
        RestorePosition(g_MainWindow, x, y);
    }
}

void SaveSettings() {
    int32_t x = 0;
    int32_t y = 0;
    if (g_MainWindow != nullptr) PositionToSave(g_MainWindow, x, y);
    ReplaceFileContent(SettingsFilePath(), FormatSettingsText(g_Settings, x, y));
}

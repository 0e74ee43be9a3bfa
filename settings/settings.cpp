#include "settings/settings.h"

#include <algorithm>

#include "settings/preferences.h"

Settings::Settings()
    : AskTerminate(0), LogInfoStyle(0), EnableShowInfo(0), EnableTaskTerminate(0),
      EnableTaskFreeze(0), EnableRestoreWindow(0), EnableDetectOwnTask(0), EnableSaveInfo(0),
      LostLogBlocks(0) {
    for (const Preference& p : kPreferences)
        this->*p.field = p.defaultValue;
}

Settings g_Settings;
std::wstring ProgramFolder;
std::wstring SettingsBasePath;

void SetSettingsDefaults(Settings& s, const std::wstring& programFolder,
                         const std::string& programFolderText) {
    s = Settings();
    s.CurrentDir = programFolder;
    s.CurrentDirText = programFolderText;
}

void PlaceToOpen(int32_t& x, int32_t& y, const ScreenRect& window, const ScreenRect& captionBar,
                 const std::vector<ScreenRect>& workAreas) {
    // In 64 bits: a saved corner may lie anywhere a 32-bit number reaches.
    const int64_t dx = int64_t{x} - window.left;
    const int64_t dy = int64_t{y} - window.top;
    for (const ScreenRect& area : workAreas)
        if (captionBar.left + dx >= area.left && captionBar.top + dy >= area.top &&
            captionBar.right + dx <= area.right && captionBar.bottom + dy <= area.bottom)
            return;
    if (workAreas.empty()) return;
    const ScreenRect& primary = workAreas.front();
    const int64_t width = int64_t{primary.right} - primary.left;
    const int64_t height = int64_t{primary.bottom} - primary.top;
    x = static_cast<int32_t>(primary.left + width / 2 -
                             std::min(width, int64_t{window.right} - window.left) / 2);
    y = static_cast<int32_t>(primary.top + height / 2 -
                             std::min(height, int64_t{window.bottom} - window.top) / 2);
}

namespace {

template <typename Text> Text FolderOf(const Text& moduleFileName) {
    const size_t slash = moduleFileName.rfind(typename Text::value_type('\\'));
    return slash == Text::npos ? Text() : moduleFileName.substr(0, slash + 1);
}

bool IsSlash(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

} // namespace

std::string ProgramFolderOf(const std::string& moduleFileName) {
    return FolderOf(moduleFileName);
}

std::wstring ProgramFolderOf(const std::wstring& moduleFileName) {
    return FolderOf(moduleFileName);
}

std::string SettingsBasePathOf(const std::string& programFolder) {
    return programFolder + "Morvane";
}

std::wstring SettingsBasePathOf(const std::wstring& programFolder) {
    return programFolder + L"Morvane";
}

bool IsDevicePath(const std::wstring& path) {
    return path.size() >= 4 && IsSlash(path[0]) && IsSlash(path[1]) &&
           (path[2] == L'?' || path[2] == L'.') && IsSlash(path[3]);
}

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < kLongPathFrom || IsDevicePath(path)) return path;
    std::wstring prefixed;
    if (IsDriveLetter(path[0]) && path[1] == L':' && IsSlash(path[2])) {
        prefixed = L"\\\\?\\" + path;
    } else if (IsSlash(path[0]) && IsSlash(path[1])) {
        prefixed = L"\\\\?\\UNC\\" + path.substr(2);
    } else {
        return path;
    }
    for (wchar_t& c : prefixed)
        if (c == L'/') c = L'\\';
    return prefixed;
}

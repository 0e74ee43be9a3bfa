#include "settings/settings.h"

#include "settings/preferences.h"

Settings::Settings()
    : AskTerminate(0), LogInfoStyle(0), EnableShowInfo(0), EnableTaskTerminate(0),
      EnableTaskFreeze(0), EnableRestoreWindow(0), EnableDetectOwnTask(0), EnableSaveInfo(0) {
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

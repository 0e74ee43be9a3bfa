#include "settings/settings.h"

#include "settings/preferences.h"

Settings::Settings() {
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

std::wstring SettingsBasePathOf(const std::wstring& programFolder) {
    return programFolder + L"Morvane";
}

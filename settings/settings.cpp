#include "settings/settings.h"

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

std::wstring SettingsBasePathOf(const std::wstring& programFolder) {
    return programFolder + L"Morvane";
}

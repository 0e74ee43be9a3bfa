// The user's preferences for one run.
#pragma once
#include <cstdint>
#include <string>

struct Settings {
    int32_t AskTerminate = 1;
    int32_t LogInfoStyle = 16;
    int32_t EnableShowInfo = 1;
    int32_t EnableTaskTerminate = 1;
    int32_t EnableTaskFreeze = 1;
    int32_t EnableRestoreWindow = 1;
    int32_t EnableDetectOwnTask = 1;
    int32_t EnableSaveInfo = 1;
    std::string CurrentDir;
};

extern Settings g_Settings;

// The defaults of a fresh run; CurrentDir starts at the program's folder.
void SetSettingsDefaults(Settings& s, const std::string& programFolder);

// The folder part of the program's own file name, up to and with its last backslash
// ("C:\Tools\Morvane.exe" gives "C:\Tools\"); empty when there is no backslash.
std::string ProgramFolderOf(const std::string& moduleFileName);
// Base of the settings and log file names: the folder followed by "Morvane", whatever the
// executable itself is called.
std::string SettingsBasePathOf(const std::string& programFolder);
